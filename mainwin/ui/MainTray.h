#pragma once

#include <QIcon>
#include <QObject>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QTimer;
class QWidget;

namespace wv {

class MainCommands;

// The main window's tray icon and its menu ("trayPop"). While an alert waits
// the icon blinks every 500 ms, the hint says so and the menu's first item
// reads "Show Alert". The window connects the items to its handlers and
// decides when the icon shows.
class MainTray : public QObject
{
    Q_OBJECT
public:
    MainTray(QWidget *window, MainCommands &commands);

    QSystemTrayIcon *tray = nullptr;
    QMenu *trayPop = nullptr;
    QAction *trayRestore = nullptr;
    QAction *trayRefresh = nullptr;
    QAction *trayOptions = nullptr;
    QAction *trayAbout = nullptr;
    QAction *trayExit = nullptr;

    void setAlertWaiting(bool waiting);
    bool isAlertWaiting() const { return m_alertWaiting; }
    // The hint shows the time of the last refresh, except while an alert
    // waits: that hint stays until the user has seen it.
    void setHint(const QString &text);

Q_SIGNALS:
    void doubleClicked();

private:
    QIcon restingIcon() const;

    QWidget *m_window;
    QTimer *m_blink = nullptr;
    bool m_blinkOn = false;
    bool m_alertWaiting = false;
};

} // namespace wv
