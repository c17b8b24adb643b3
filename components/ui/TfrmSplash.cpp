#include "components/ui/TfrmSplash.h"

#include "components/ui/Artwork.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>

namespace wv {

TfrmSplash::TfrmSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Wirevane"));
    image = new QLabel(this);
    image->setPixmap(splashPixmap());
    image->setAlignment(Qt::AlignCenter);
    caption = new QLabel(QStringLiteral("Loading..."), this);
    caption->setAlignment(Qt::AlignCenter);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    layout->setSpacing(4);
    layout->addWidget(image);
    layout->addWidget(caption);
    setStyleSheet(QStringLiteral("QLabel { color: #d8ecff; }"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x10, 0x24, 0x3f));
    setPalette(pal);

    splashTimer.setSingleShot(true);
    splashTimer.setInterval(CloseAfterMs);
    connect(&splashTimer, &QTimer::timeout, this, &TfrmSplash::splashTimerTimer);
}

void TfrmSplash::showCentered()
{
    adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect r = rect();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    show();
    raise();
}

void TfrmSplash::startTimer500()
{
    splashTimer.start();
}

void TfrmSplash::splashTimerTimer()
{
    close();
}

void TfrmSplash::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    close();
}

} // namespace wv
