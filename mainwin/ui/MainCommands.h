#pragma once

#include <QList>
#include <QObject>

#include <array>
#include <functional>

class QAction;

namespace wv {

// Commands of the main window whose windows live elsewhere. Each stays
// visible in its menus and on its toolbar button, disabled, until a handler
// is set for it with TfrmMain::setCommandHandler. Row commands read the
// selected row through TfrmMain::selectedRecord().
//
// Adding a window to the menus: add its command here, put an item for it in
// MainMenus (MainCommands::action makes one), and let the code that owns the
// window call TfrmMain::setCommandHandler.
enum class MainCommand
{
    ConnectionInfo,     // tb2, "Connection &Info" (row)
    Options,            // tb3, "&Options...", tray "Options"
    AdvancedStatistics, // tb7, "&Advanced Network Statistics"
    PortDatabase,       // tb8, "&Port Information"
    Summary,            // tb11
    PrintTable,         // "&Print connection table..."
    SaveTable,          // "&Save connections to file"
    ExportConfig,       // "&Export WVN config"
    ImportConfig,       // "&Import WVN config"
    AdvancedLookup,     // "Advanced &Lookup" (row)
    LookupTool,         // "Advanced &Lookup [LATE]" (empty)
    RecognizeAs,        // "Reco&gnize as..." (row)
    RecognizeNew,       // "&Recognize a new connection"
    CacheEditor,        // "&Cache editor"
    NetBiosLookup,      // "&NetBIOS lookup..." (row: fill in and start)
    NetBiosTool,        // "&NetBIOS Lookup" (empty)
    QuickDns,           // "Quick&DNS Lookup"
    QuickFinger,        // "Quick&Finger"
    PortTester,         // "Port &tester"
    ViewAlert,          // "&View Alert" (row marked by a rule)
    EditRules,          // "&Edit rules..."
    ViewBarToggle,      // "Enable &Viewbar" / "Disable &Viewbar"
    ViewBarSwitch,      // "&Switch top/bottom"
    ViewBarAutoHide,    // "&Autohide"
    ViewBarScroll,      // "Scroll &connections"
    BugReportTool,      // tb9: the feedback program
    BugReportPage,      // tb9: the web page
    Count
};

// The handlers of the main window's commands and every menu item or button
// bound to one. An item is enabled exactly while its command has a handler
// (row commands also need a selected row: their menus settle that when they
// open).
class MainCommands : public QObject
{
    Q_OBJECT
public:
    explicit MainCommands(QObject *parent = nullptr);

    // A new item that runs `command`, owned by `owner`.
    QAction *action(MainCommand command, const QString &text, QObject *owner);

    void setHandler(MainCommand command, std::function<void()> handler);
    bool hasHandler(MainCommand command) const;
    // Runs the command's handler, if it has one.
    void run(MainCommand command) const;

Q_SIGNALS:
    // A handler was set or removed; the items' states are already updated.
    void handlersChanged();

private:
    static constexpr size_t Count = static_cast<size_t>(MainCommand::Count);
    std::array<std::function<void()>, Count> m_handlers;
    std::array<QList<QAction *>, Count> m_actions;
};

} // namespace wv
