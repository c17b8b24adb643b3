#pragma once

#include <array>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace wv {

class MainCommands;
class MainToolbar;
struct RowCommandState;
struct Settings;

// The main window's menus: the menu bar, the table's context menu ("rxpop")
// and the drop-downs of the toolbar, built from the window's commands. The
// window connects the items that are not commands to its handlers; the
// pointers are fixed once built.
//
// To add a menu item for a new window, add its MainCommand and create the
// item here with `commands.action(...)`: it is enabled once the command has a
// handler.
class MainMenus
{
public:
    MainMenus(QMenuBar *bar, MainCommands &commands, const MainToolbar &toolbar, QWidget *parent);

    QMenu *mnuFile = nullptr;
    QMenu *mnuConnection = nullptr;
    QMenu *mnuCopyConnection = nullptr;
    QMenu *mnuRules = nullptr;
    QMenu *mnuRuleAlerts = nullptr;
    QMenu *mnuRuleIgnored = nullptr;
    QMenu *mnuRuleDisabled = nullptr;
    QMenu *mnuView = nullptr;
    QMenu *mnuOptions = nullptr;
    QMenu *mnuViewbar = nullptr;
    QMenu *mnuTools = nullptr;
    QMenu *mnuHelp = nullptr;
    QMenu *rxpop = nullptr;
    QMenu *progPop = nullptr;
    QMenu *bugPop = nullptr;

    QAction *mnuRefreshConnections = nullptr;
    QAction *mnuExit = nullptr;
    std::array<QAction *, 8> mnuCopy{}; // in CopyField order
    QAction *mnuSendToTray = nullptr;
    QAction *mnuMaximize = nullptr;
    QAction *mnuGridLines = nullptr;
    QAction *mnuExtraColumns = nullptr;
    QAction *mnuDetailColumns = nullptr; // the owner and traffic columns
    QAction *mnuShowOpenPorts = nullptr;
    QAction *mnuColorCode = nullptr;
    QAction *mnuCacheDNS = nullptr;
    QAction *mnuAutoResolve = nullptr;
    QAction *mnuVbToggle = nullptr;
    QAction *mnuVbSwitch = nullptr;
    QAction *mnuVbAutoHide = nullptr;
    QAction *mnuVbScroll = nullptr;
    QAction *mnuContents = nullptr;
    QAction *mnuReadme = nullptr;
    QAction *mnuAbout = nullptr;
    QAction *rxExtraColumns = nullptr;
    QAction *rxGridLines = nullptr;

    // The row commands, once in the "&Connection" menu and once in the
    // table's context menu.
    QAction *mnuConnInfo = nullptr;
    QAction *mnuAdvLookup = nullptr;
    QAction *mnuRecognizeAs = nullptr;
    QAction *mnuNetBios = nullptr;
    QAction *mnuRemotePortInfo = nullptr;
    QAction *mnuLocalPortInfo = nullptr;
    QAction *mnuViewAlertSep = nullptr;
    QAction *mnuViewAlert = nullptr;
    QAction *rxViewAlert = nullptr;
    QAction *rxViewAlertSep = nullptr;
    QAction *rxConnInfo = nullptr;
    QAction *rxAdvLookup = nullptr;
    QAction *rxRecognizeAs = nullptr;
    QAction *rxRemotePortInfo = nullptr;
    QAction *rxLocalPortInfo = nullptr;
    QAction *rxNetBios = nullptr;

    // Sets a row menu's items for the selected row: shown, enabled and
    // captioned as `state` says, a command's item only while it has a
    // handler, port information only with `portInfo`.
    void showRowState(bool contextMenu, const RowCommandState &state, bool portInfo,
                      const Settings &settings, const MainCommands &commands);

private:
    void buildMenuBar(QMenuBar *bar, MainCommands &commands, QWidget *parent);
    void buildContextMenu(MainCommands &commands, QWidget *parent);
    void buildToolbarMenus(MainCommands &commands, const MainToolbar &toolbar, QWidget *parent);
};

} // namespace wv
