#include "mainwin/ui/MainTray.h"

#include "mainwin/ui/MainCommands.h"

#include <QMenu>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

namespace wv {

MainTray::MainTray(QWidget *window, MainCommands &commands) : QObject(window), m_window(window)
{
    tray = new QSystemTrayIcon(window);
    tray->setObjectName(QStringLiteral("tray"));
    tray->setIcon(restingIcon());
    tray->setToolTip(window->windowTitle());

    trayPop = new QMenu(window);
    trayPop->setObjectName(QStringLiteral("trayPop"));
    trayRestore = trayPop->addAction(QStringLiteral("Restore"));
    trayPop->setDefaultAction(trayRestore);
    trayPop->addSeparator();
    trayRefresh = trayPop->addAction(QStringLiteral("Refresh"));
    trayOptions = commands.action(MainCommand::Options, QStringLiteral("Options"), trayPop);
    trayPop->addAction(trayOptions);
    trayAbout = trayPop->addAction(QStringLiteral("About"));
    trayPop->addSeparator();
    trayExit = trayPop->addAction(QStringLiteral("Exit"));
    tray->setContextMenu(trayPop);

    m_blink = new QTimer(this);
    m_blink->setInterval(500);
    connect(m_blink, &QTimer::timeout, this, [this] {
        m_blinkOn = !m_blinkOn;
        tray->setIcon(m_blinkOn ? m_window->style()->standardIcon(QStyle::SP_MessageBoxWarning)
                                : restingIcon());
    });
    connect(tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // StatusNotifier trays (KDE Plasma, GNOME's AppIndicator
                // extension) report a click as Trigger and never DoubleClick.
                if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
                    Q_EMIT doubleClicked();
            });
}

QIcon MainTray::restingIcon() const
{
    QIcon icon = m_window->windowIcon();
    if (icon.isNull())
        icon = m_window->style()->standardIcon(QStyle::SP_DriveNetIcon);
    return icon;
}

void MainTray::setAlertWaiting(bool waiting)
{
    m_alertWaiting = waiting;
    trayRestore->setText(waiting ? QStringLiteral("Show Alert") : QStringLiteral("Restore"));
    tray->setToolTip(waiting ? QStringLiteral("Wirevane [Alert waiting]")
                             : QStringLiteral("Wirevane"));
    if (waiting) {
        m_blink->start();
    } else {
        m_blink->stop();
        m_blinkOn = false;
        tray->setIcon(restingIcon());
    }
}

void MainTray::setHint(const QString &text)
{
    if (!m_alertWaiting)
        tray->setToolTip(text);
}

} // namespace wv
