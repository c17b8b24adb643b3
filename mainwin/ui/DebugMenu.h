#pragma once

#include "settings/SettingsStore.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QMenuBar;

namespace wv {

// The main window's debug menu, for trying the alert paths by hand. It is
// shown only while the debug window option is on.
//   "Asterisk"          toggles the mark of the second row;
//   "NetDisconnect"     the hang-up, asking first;
//   "Blink Tray"        the tray's alert-waiting state;
//   "Ignored?"          asks for a rule number and tells whether it is ignored;
//   "RefreshProgsMenu"  rebuilds the programs menu;
//   "SplashScreen"      shows the splash window until it is clicked.
class TDebugMenu : public QObject, public OptionsSink
{
    Q_OBJECT
public:
    struct Actions
    {
        std::function<void()> asterisk;
        std::function<void()> netDisconnect;
        std::function<void()> blinkTray;
        // Whether rule N is ignored this session; throws for a bad number.
        std::function<bool(int rule)> isIgnored;
        std::function<void()> refreshProgsMenu;
        std::function<void()> splashScreen;
        // Asks for a text (title, prompt, default); nothing when cancelled.
        std::function<std::optional<QString>(const QString &, const QString &, const QString &)>
            ask;
        // Tells the user something, or that something failed.
        std::function<void(const QString &)> tell;
        std::function<void(const QString &)> error;
    };

    TDebugMenu(QMenuBar *bar, Actions actions, QObject *parent = nullptr);

    QMenu *menu() const { return m_menu; }
    QAction *action(const QString &text) const;

    // Shown while the debug window option is on.
    void applyExtras(const Settings &settings) override;

    void IgnoredClick();

private:
    Actions m_actions;
    QMenu *m_menu;
};

} // namespace wv
