// The main window's tray handlers: going to the tray and coming back.

#include "mainwin/ui/MainToolbar.h"
#include "mainwin/ui/MainTray.h"
#include "mainwin/ui/TfrmMain.h"
#include "settings/DebugTrace.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <QToolButton>

namespace wv {

void TfrmMain::connectTray()
{
    const MainTray &t = *m_tray;
    connect(t.trayRestore, &QAction::triggered, this, &TfrmMain::restoreFromTray);
    connect(t.trayRefresh, &QAction::triggered, this, &TfrmMain::trayRefreshClick);
    connect(t.trayAbout, &QAction::triggered, this, &TfrmMain::mnuAboutClick);
    connect(t.trayExit, &QAction::triggered, this, &TfrmMain::mnuExitClick);
    connect(m_tray, &MainTray::doubleClicked, this, &TfrmMain::trayDblClick);
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
    m_tray->tray->show();
    hide();
    if (m_debugWindow)
        m_debugWindow->hide();
}

void TfrmMain::restoreFromTray()
{
    if (m_tray->isAlertWaiting()) {
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
    m_tray->tray->hide();
}

void TfrmMain::trayDblClick()
{
    restoreFromTray();
}

void TfrmMain::trayRefreshClick()
{
    restoreFromTray();
    m_toolbar->tb1->click();
}

void TfrmMain::setAlertWaiting(bool waiting)
{
    m_tray->setAlertWaiting(waiting);
}

} // namespace wv
