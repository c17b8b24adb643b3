// The main window's tray icon: going to the tray, coming back, and the tray
// menu.

#include "mainwin/ui/TfrmMain.h"
#include "settings/DebugTrace.h"

#include <QApplication>
#include <QMenu>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>

namespace wv {

void TfrmMain::buildTray()
{
    tray = new QSystemTrayIcon(this);
    tray->setObjectName(QStringLiteral("tray"));
    QIcon icon = windowIcon();
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_DriveNetIcon);
    tray->setIcon(icon);
    tray->setToolTip(windowTitle());

    trayPop = new QMenu(this);
    trayPop->setObjectName(QStringLiteral("trayPop"));
    trayRestore = trayPop->addAction(QStringLiteral("Restore"));
    trayPop->setDefaultAction(trayRestore);
    trayPop->addSeparator();
    trayRefresh = trayPop->addAction(QStringLiteral("Refresh"));
    trayOptions = commandAction(MainCommand::Options, QStringLiteral("Options"), trayPop);
    trayPop->addAction(trayOptions);
    trayAbout = trayPop->addAction(QStringLiteral("About"));
    trayPop->addSeparator();
    trayExit = trayPop->addAction(QStringLiteral("Exit"));
    tray->setContextMenu(trayPop);

    trayBlink = new QTimer(this);
    trayBlink->setInterval(500);
    connect(trayBlink, &QTimer::timeout, this, [this, icon] {
        m_blinkOn = !m_blinkOn;
        tray->setIcon(m_blinkOn ? style()->standardIcon(QStyle::SP_MessageBoxWarning) : icon);
    });

    connect(trayRestore, &QAction::triggered, this, &TfrmMain::restoreFromTray);
    connect(trayRefresh, &QAction::triggered, this, &TfrmMain::trayRefreshClick);
    connect(trayAbout, &QAction::triggered, this, &TfrmMain::mnuAboutClick);
    connect(trayExit, &QAction::triggered, this, &TfrmMain::mnuExitClick);
    connect(tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // StatusNotifier trays (KDE Plasma, GNOME's AppIndicator
                // extension) report a click as Trigger and never DoubleClick.
                if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
                    trayDblClick();
            });
}

void TfrmMain::tb4Click()
{
    DebugLog(QStringLiteral("Minimizing to system tray.."));
    sendToTray(true);
}

void TfrmMain::sendToTray(bool /*fromCommand*/)
{
    // Without a tray the window is minimised to the task bar instead, so it
    // can always be brought back.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        showMinimized();
        return;
    }
    m_inTray = true;
    tray->show();
    hide();
    if (m_debugWindow)
        m_debugWindow->hide();
}

void TfrmMain::restoreFromTray()
{
    if (m_alertWaiting) {
        setAlertWaiting(false);
        if (m_clearAlert)
            m_clearAlert();
    }
    m_inTray = false;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    if (m_debugWindow && m_settings.values().xDebugWindow)
        m_debugWindow->show();
    raise();
    activateWindow();
    tray->hide();
}

void TfrmMain::trayDblClick()
{
    restoreFromTray();
}

void TfrmMain::trayRefreshClick()
{
    restoreFromTray();
    tb1->click();
}

void TfrmMain::setAlertWaiting(bool waiting)
{
    m_alertWaiting = waiting;
    trayRestore->setText(waiting ? QStringLiteral("Show Alert") : QStringLiteral("Restore"));
    tray->setToolTip(waiting ? QStringLiteral("Wirevane [Alert waiting]")
                             : QStringLiteral("Wirevane"));
    if (waiting) {
        trayBlink->start();
    } else {
        trayBlink->stop();
        m_blinkOn = false;
        QIcon icon = windowIcon();
        if (icon.isNull())
            icon = style()->standardIcon(QStyle::SP_DriveNetIcon);
        tray->setIcon(icon);
    }
}

} // namespace wv
