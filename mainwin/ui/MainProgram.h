#pragma once

#include "mainwin/ColumnWidthStore.h"
#include "mainwin/Lifecycle.h"
#include "mainwin/PlacementStore.h"
#include "mainwin/ui/TfrmMain.h"
#include "remote/RemoteAgent.h"
#include "rules/RuleList.h"
#include "rules/RulesFile.h"
#include "settings/DnsServerList.h"
#include "settings/RegistryStore.h"
#include "settings/SettingsStore.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

namespace wv {

class AdapterChoice;
class ConnectionTableCommands;
class ModelViewBarTable;
class ViewBarHost;
class DnsCache;
class FriendlyNames;
class HostNameResolver;
class MessageBoxPrompt;
class SummaryLog;
class TfrmConnInfo;
class TfrmDebug;
class TfrmSplash;
class TfrmSummary;
class RuleActionHost;
class DialUpHangUp;
class TableRules;
class TDebugMenu;
class MailNotifier;
class TfrmAddRule;
class OptionsCommands;
class TfrmPortTest;
class HostSnapshotSource;
class HostChooser;
class CounterPages;

// The running program: brings the main window and everything it owns up in
// a fixed order, and takes it down again. main() makes one, sets the hooks
// of the windows that come from elsewhere, and calls Create().
class MainProgram : public QObject
{
    Q_OBJECT
public:
    // Windows and objects other parts of the program provide. An empty hook
    // is skipped.
    struct Hooks
    {
        std::function<void()> createRuleEditor;    // the rule editor window
        std::function<void()> createEngine;        // the connection list and counters
        std::function<void()> createSummaryWindow; // the session summary window
        std::function<void()> showSummary;         // at start-up with xSumOnStart
        std::function<void()> showSummaryModal;    // at shut-down with xSumOnEnd
        // What the user is told in a plain message box (the rules file that
        // cannot be read, the alert restored from the tray); by default a
        // message box.
        std::function<void(const QString &)> notice;
        // The lookup window, pre-filled with a host name or address (a rule's
        // lookup action, the alert window's "Start Advanced Lookup").
        std::function<void(const QString &)> openLookup;
        // The alert details of a row a rule marked, and that rule's number.
        std::function<void(int row, int rule)> showAlertDetails;
        // Ends the event loop; by default QCoreApplication::exit(0).
        std::function<void()> terminate;
        // The connection information window for a row of the table (the
        // view bar's "Connection Information...").
        std::function<void(int row)> connectionInfo;
        // Asks a yes/no question ("Remove agent"); by default a message box.
        std::function<bool(const QString &)> confirm;
    };

    explicit MainProgram(const TfrmMain::Services &services = {}, QObject *parent = nullptr);
    ~MainProgram() override;

    Hooks &hooks() { return m_hooks; }

    // Creates the main window and runs the start-up sequence.
    void Create();
    // The shut-down sequence; runs once.
    void ShutDown();

    TfrmMain &window() { return *m_window; }
    TfrmDebug *debugWindow() const { return m_debug.get(); }
    TfrmSplash *splash() const;
    SettingsStore &settings() { return m_settings; }
    RegistryStore &registry() { return m_registry; }
    TRuleList &rules() { return m_rules; }
    // Where the rules, the window's place and the column widths are kept
    // (the files in the per-user folder unless the services name others).
    RulesFile &rulesFile() { return m_rulesFile; }
    PlacementStore &placements() { return *m_services.placements; }
    ColumnWidthStore &columnWidthStore() { return *m_services.columnWidths; }
    const Lifecycle &lifecycle() const { return m_lifecycle; }
    QTimer &oneTime() { return m_oneTime; }
    // The DNS cache, the resolver, the recognized names and the session
    // summary the window's table is filled through.
    DnsCache &dnsCache() { return *m_dnsCache; }
    HostNameResolver &resolver() { return *m_resolver; }
    FriendlyNames &friendlyNames() { return *m_names; }
    SummaryLog &summaryLog() { return *m_summaryLog; }
    // The rules pass the refresh cycle runs (null when the caller brought its
    // own evaluator).
    TableRules *tableRules() const { return m_tableRules.get(); }
    TfrmSummary *summaryWindow() const { return m_summary.get(); }
    // The File menu's save and print commands of the table.
    ConnectionTableCommands *tableCommands() const { return m_tableCommands; }
    // The main window's debug menu (shown while the debug window option is on).
    TDebugMenu *debugMenu() const { return m_debugMenu.get(); }
    // The rule editor window made at start-up (null when a hook made its own).
    TfrmAddRule *ruleEditor() const { return m_ruleEditor.get(); }
    // The options dialog and profile commands.
    OptionsCommands *options() const { return m_options.get(); }
    // The connection information window for a row of the table (the main
    // window's "Connection &Info", the view bar).
    void ConnectionInfo(int row);
    // A new lookup window for a host name or address.
    void openLookup(const QString &address);
    // The port tester, made when first asked for (null until then).
    TfrmPortTest *portTesterWindow() const;

private:
    void StartUp();
    void oneTimeTimer();
    // Plugs the resolver, the names and the summary into the window and its
    // commands, where the caller did not bring its own.
    void connectServices();
    // The lookup and connection information windows.
    void connectTools();
    void recognize(bool fromRow);
    // Shows a plain notice through the notice hook.
    void tell(const QString &text);
    // The rules pass over the window's table, the Rules menu, the tray.
    void connectRules();
    // The statistics window, the view bar and the dial-up adapter choice.
    void connectStats();

public:
    // "Ad&v Stat": a new statistics window (not modal, freed when closed).
    void ShowAdvancedStatistics();
    // The options dialog's "manually start viewbar".
    void StartViewBar();
    ViewBarHost *viewBar() const { return m_viewBar.get(); }
    AdapterChoice &adapterChoice() { return *m_adapterChoice; }

private:
    void fillRulesMenu(QMenu *alerts, QMenu *ignored, QMenu *disabled);
    void createDebugMenu();
    // The alert details window for a rule and a table row.
    void showRuleAlert(int rule, int row);
    // The options dialog, "&Edit rules..." and the profile commands.
    void connectOptions();

    // The quick tools' and the port tester's commands.
    void connectQuickTools();
    TfrmPortTest *portTester();
    // The toolbar's host chooser, the agents saved for it and the texts that
    // name the host shown.
    void connectRemote();
    void showHost(int agent);
    void addAgent();
    void editAgent(int agent);
    void removeAgent(int agent);
    void hostStateChanged();
    void installHostStatusFilter();
    void openPortTester(const QString &port, bool connectNow);

    Hooks m_hooks;
    TfrmMain::Services m_services;
    // The host shown: made before the window, whose refresh cycle reads it,
    // and so gone after it.
    std::unique_ptr<HostSnapshotSource> m_hostSource;
    QList<RemoteAgent> m_agents;
    QPointer<HostChooser> m_hostChooser;
    // The statistics window's counters of the host shown (outlives the window).
    std::unique_ptr<CounterPages> m_counterPages;
    RegistryStore m_registry;
    SettingsStore m_settings;
    TRuleList m_rules;
    RulesFile m_rulesFile;
    PlacementStore m_placements;
    ColumnWidthStore m_columnWidths;
    std::unique_ptr<DnsCache> m_dnsCache;
    std::unique_ptr<HostNameResolver> m_resolver;
    std::unique_ptr<FriendlyNames> m_names;
    std::unique_ptr<SummaryLog> m_summaryLog;
    std::unique_ptr<MessageBoxPrompt> m_prompt;
    std::unique_ptr<HostNameProvider> m_hostsAdapter;
    std::unique_ptr<FriendlyNameProvider> m_namesAdapter;
    std::unique_ptr<SummarySink> m_summaryAdapter;
    std::unique_ptr<TableRules> m_tableRules;
    std::unique_ptr<RuleActionHost> m_ruleHost;
    std::unique_ptr<DialUpHangUp> m_hangUp;
    // Sends the e-mail of a rules pass.
    std::unique_ptr<MailNotifier> m_mailer;
    std::unique_ptr<TfrmSummary> m_summary;
    std::unique_ptr<TfrmConnInfo> m_connInfo;
    std::unique_ptr<AdapterChoice> m_adapterChoice;
    std::unique_ptr<ModelViewBarTable> m_viewBarTable;
    std::unique_ptr<ViewBarHost> m_viewBar;
    Lifecycle m_lifecycle;
    QTimer m_oneTime;
    std::unique_ptr<TfrmDebug> m_debug;
    std::unique_ptr<TfrmAddRule> m_ruleEditor;
    DnsServerList m_dnsServers;
    std::unique_ptr<OptionsCommands> m_options;
    std::unique_ptr<TfrmMain> m_window;
    std::unique_ptr<PortInfoOpener> m_portInfo;
    std::unique_ptr<TDebugMenu> m_debugMenu;
    QPointer<TfrmSplash> m_splash;
    QPointer<TfrmPortTest> m_portTest;
    // Owned by the window.
    ConnectionTableCommands *m_tableCommands = nullptr;
};

} // namespace wv
