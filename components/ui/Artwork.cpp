#include "components/ui/Artwork.h"

#include "settings/Paths.h"

#include <QFileInfo>
#include <QPainter>

namespace wv {

const QList<int> &programIconSizes()
{
    static const QList<int> sizes{16, 22, 24, 32, 48, 64, 128, 256};
    return sizes;
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : programIconSizes()) {
        const QString file = Paths::dataFile(QStringLiteral("wirevane-%1.png").arg(size));
        if (QFileInfo::exists(file))
            icon.addFile(file, QSize(size, size));
    }
    if (icon.isNull())
        icon = QIcon::fromTheme(QStringLiteral("wirevane"));
    return icon;
}

QPixmap splashPixmap()
{
    QPixmap pixmap(Paths::dataFile(QStringLiteral("splash.png")));
    if (!pixmap.isNull())
        return pixmap;
    pixmap = QPixmap(360, 150);
    pixmap.fill(QColor(0x10, 0x24, 0x3f));
    QPainter p(&pixmap);
    p.setPen(QColor(0xd8, 0xec, 0xff));
    QFont f = p.font();
    f.setPointSize(24);
    f.setBold(true);
    p.setFont(f);
    p.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("Wirevane"));
    return pixmap;
}

} // namespace wv
