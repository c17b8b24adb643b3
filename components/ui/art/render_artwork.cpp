// Renders the program's artwork from its SVG sources at build time:
//   render_artwork ICON.svg SPLASH.svg DATA_DIR ICONS_DIR
// DATA_DIR gets wirevane.svg, wirevane-<n>.png, splash.png and wvn64.gif;
// ICONS_DIR gets the hicolor theme tree installed for the desktop.
#include "components/ui/art/GifWriter.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

namespace {

QImage render(QSvgRenderer &svg, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    svg.render(&p);
    return image;
}

bool fail(const QString &what)
{
    std::fprintf(stderr, "render_artwork: %s\n", qPrintable(what));
    return false;
}

bool save(const QImage &image, const QString &path)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return fail(QStringLiteral("cannot create the folder of ") + path);
    if (!image.save(path, "PNG"))
        return fail(QStringLiteral("cannot write ") + path);
    return true;
}

bool copy(const QString &from, const QString &to)
{
    QDir().mkpath(QFileInfo(to).absolutePath());
    QFile::remove(to);
    if (!QFile::copy(from, to))
        return fail(QStringLiteral("cannot copy ") + from + QStringLiteral(" to ") + to);
    return true;
}

bool run(const QString &iconSvg, const QString &splashSvg, const QString &dataDir,
         const QString &iconsDir)
{
    QSvgRenderer icon(iconSvg);
    if (!icon.isValid())
        return fail(QStringLiteral("not a valid SVG image: ") + iconSvg);
    QSvgRenderer splash(splashSvg);
    if (!splash.isValid())
        return fail(QStringLiteral("not a valid SVG image: ") + splashSvg);

    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QImage image = render(icon, QSize(size, size));
        if (!save(image, dataDir + QStringLiteral("/wirevane-%1.png").arg(size)) ||
            !save(image, iconsDir + QStringLiteral("/hicolor/%1x%1/apps/wirevane.png").arg(size)))
            return false;
    }
    if (!copy(iconSvg, dataDir + QStringLiteral("/wirevane.svg")) ||
        !copy(iconSvg, iconsDir + QStringLiteral("/hicolor/scalable/apps/wirevane.svg")))
        return false;

    if (!wv::writeGif(render(icon, QSize(64, 64)), dataDir + QStringLiteral("/wvn64.gif")))
        return fail(QStringLiteral("cannot write wvn64.gif"));

    QImage banner = render(splash, splash.defaultSize());
    {
        QPainter p(&banner);
        p.setRenderHint(QPainter::TextAntialiasing);
        QFont title(QStringLiteral("Sans Serif"));
        title.setPixelSize(38);
        title.setBold(true);
        p.setFont(title);
        p.setPen(QColor(0xe4, 0xf6, 0xff));
        p.drawText(QRect(150, 34, 240, 48), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Wirevane"));
        QFont sub(QStringLiteral("Sans Serif"));
        sub.setPixelSize(14);
        p.setFont(sub);
        p.setPen(QColor(0x9b, 0xdc, 0xff));
        p.drawText(QRect(152, 80, 240, 22), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("network connection monitor"));
    }
    return save(banner, dataDir + QStringLiteral("/splash.png"));
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: render_artwork ICON.svg SPLASH.svg DATA_DIR ICONS_DIR\n");
        return 2;
    }
    return run(args[1], args[2], args[3], args[4]) ? 0 : 1;
}
