#include "mainwin/ui/MainProgram.h"

#include "components/ui/TfrmDebug.h"
#include "components/ui/TfrmSplash.h"
#include "components/ui/WvApplication.h"
#include "mainwin/ui/ConnectionPane.h"
#include "mainwin/ui/DebugMenu.h"
#include "mainwin/ui/MainToolbar.h"
#include "mainwin/ui/TMainStatusBar.h"
#include "monitor/DnsCache.h"
#include "monitor/FriendlyNames.h"
#include "monitor/HostNameResolver.h"
#include "monitor/portdb/ui/TfrmPortInfo.h"
#include "monitor/ui/ConnectionTableCommands.h"
#include "monitor/ui/MessageBoxPrompt.h"
#include "monitor/ui/TfrmCacheEditor.h"
#include "monitor/ui/TfrmRecognize.h"
#include "refresh/ConnectionRecord.h"
#include "refresh/ConnectionTableModel.h"
#include "refresh/EngineSnapshotSource.h"
#include "refresh/RefreshCycle.h"
#include "refresh/ServiceAdapters.h"
#include "refresh/TableRules.h"
#include "remote/HostSnapshotSource.h"
#include "rules/RulesFile.h"
#include "rules/mail/MailNotifier.h"
#include "rules/ui/TfrmAddRule.h"
#include "rules/ui/TfrmMailRelay.h"
#include "settings/DebugTrace.h"
#include "settings/Paths.h"
#include "settings/Version.h"
#include "settings/programs/ProgramsList.h"
#include "settings/ui/OptionsCommands.h"
#include "stats/SummaryLog.h"
#include "stats/advstat/AdapterStatistics.h"
#include "stats/advstat/CounterPages.h"
#include "stats/ui/TfrmSummary.h"
#include "stats/ui/ViewBarHost.h"
#include "stats/viewbar/ModelViewBarTable.h"
#include "tools/lookup/ui/TfrmConnInfo.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace wv {

namespace {

// Port information opens in a window of its own for every request.
class WindowPortInfo : public PortInfoOpener
{
public:
    explicit WindowPortInfo(QWidget *parent) : m_parent(parent) {}
    void ShowPortInfo(int port) override { wv::ShowPortInfo(port, true, m_parent); }

private:
    QWidget *m_parent;
};

class NoticeSink : public RuleNotices
{
public:
    explicit NoticeSink(std::function<void(const QString &)> show) : m_show(std::move(show)) {}
    void notice(const QString &text) override { m_show(text); }

private:
    std::function<void(const QString &)> m_show;
};

} // namespace

MainProgram::MainProgram(const TfrmMain::Services &services, QObject *parent)
    : QObject(parent), m_services(services), m_settings(m_registry),
      m_dnsCache(std::make_unique<DnsCache>()),
      m_resolver(std::make_unique<HostNameResolver>(m_settings.values(), *m_dnsCache)),
      m_names(std::make_unique<FriendlyNames>()), m_summaryLog(std::make_unique<SummaryLog>()),
      m_prompt(std::make_unique<MessageBoxPrompt>()), m_lifecycle(m_settings.values())
{
    if (!m_services.placements)
        m_services.placements = &m_placements;
    if (!m_services.columnWidths)
        m_services.columnWidths = &m_columnWidths;
    m_resolver->setPrompt(m_prompt.get());
    m_settings.addSink(m_resolver.get());
    m_oneTime.setObjectName(QStringLiteral("oneTime"));
    m_oneTime.setInterval(150);
    m_oneTime.setSingleShot(true);
    connect(&m_oneTime, &QTimer::timeout, this, &MainProgram::oneTimeTimer);
}

MainProgram::~MainProgram()
{
    m_options.reset();
    m_settings.removeSink(m_resolver.get());
    if (m_viewBar)
        m_settings.removeSink(m_viewBar.get());
    // The bar reads the window's table: it goes first.
    m_viewBar.reset();
    if (m_summary)
        m_settings.removeSink(m_summary.get());
    if (m_debugMenu)
        m_settings.removeSink(m_debugMenu.get());
    if (m_window)
        m_settings.removeSink(m_window.get());
    if (m_debug)
        m_settings.removeSink(m_debug.get());
    if (m_splash)
        delete m_splash.data();
}

TfrmSplash *MainProgram::splash() const
{
    return m_splash.data();
}

void MainProgram::Create()
{
    // Hiding the main window into the tray must not end the program; only
    // shut-down does.
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        app->setQuitOnLastWindowClosed(false);

    m_debug = std::make_unique<TfrmDebug>(debugTrace());
    // The options show it, or not (it stays hidden while the option is off).
    m_settings.addSink(m_debug.get());
    if (m_hooks.createRuleEditor)
        m_hooks.createRuleEditor();
    else
        m_ruleEditor = std::make_unique<TfrmAddRule>();
    if (m_ruleEditor && m_ruleEditor->notificationsExtra) {
        // The relay the e-mail action sends through, beside the recipients.
        auto *relay = new QPushButton(QStringLiteral("E-mail &relay..."));
        m_ruleEditor->notificationsExtra->addWidget(relay, 0, Qt::AlignLeft);
        connect(relay, &QPushButton::clicked, this, [this] {
            TfrmMailRelay dialog(m_registry, m_ruleEditor.get());
            dialog.exec();
        });
    }
    QCoreApplication::processEvents();

    m_services.registry = &m_registry;
    if (!m_services.hosts) {
        m_hostsAdapter = std::make_unique<ResolverHostNames>(*m_resolver);
        m_services.hosts = m_hostsAdapter.get();
    }
    if (!m_services.names) {
        m_namesAdapter = std::make_unique<RecognizedNames>(*m_names);
        m_services.names = m_namesAdapter.get();
    }
    if (!m_services.summary) {
        m_summaryAdapter = std::make_unique<SummaryLogSink>(*m_summaryLog);
        m_services.summary = m_summaryAdapter.get();
    }
    if (!m_services.rules) {
        m_tableRules = std::make_unique<TableRules>(m_rules);
        m_services.rules = m_tableRules.get();
    }
    if (!m_services.source) {
        m_hostSource =
            std::make_unique<HostSnapshotSource>(std::make_unique<EngineSnapshotSource>());
        m_services.source = m_hostSource.get();
    }
    m_window = std::make_unique<TfrmMain>(m_settings, m_services);
    connectServices();
    connectRules();
    createDebugMenu();
    connectOptions();
    connectStats();
    connectQuickTools();
    connectRemote();
    m_window->setDebugWindow(m_debug.get());
    m_window->setShutDown([this] { ShutDown(); });
    auto reportError = [this](const QString &message) {
        if (WvApplication *app = WvApplication::instance())
            app->showException(message);
        else
            QMessageBox::critical(m_window.get(), QStringLiteral("Error"), message);
    };
    m_window->setErrorReporter(reportError);
    m_tableCommands = new ConnectionTableCommands(*m_window->pane().lv->model(), m_window.get());
    m_tableCommands->setErrorReporter(reportError);
    m_window->setCommandHandler(MainCommand::SaveTable,
                                [this] { m_tableCommands->SaveConnectionsToFile(); });
    m_window->setCommandHandler(MainCommand::PrintTable,
                                [this] { m_tableCommands->PrintConnectionTable(); });
    if (!m_services.portInfo) {
        m_portInfo = std::make_unique<WindowPortInfo>(m_window.get());
        m_window->setPortInfoOpener(m_portInfo.get());
    }
    m_window->setCommandHandler(MainCommand::PortDatabase,
                                [this] { ShowPortInfoForm(m_window.get()); });

    NoticeSink notices([this](const QString &text) { tell(text); });
    m_rulesFile.loadAtStartUp(m_rules, notices);

    // Not one of the program's options: how many summary lines stay in memory.
    m_summaryLog->setMaxEvents(
        qBound(100,
               parseStoredInteger(m_registry.readString(QStringLiteral("Wirevane\\Summary"),
                                                        QStringLiteral("MaxEvents")),
                                  SummaryLog::DefaultMaxEvents),
               10000000));

    DebugLog(QStringLiteral("about to call StartUp;"));
    StartUp();
    m_lifecycle.setStarted();
    DebugLog(QStringLiteral("done with StartUp;"));
    m_oneTime.start();
}

void MainProgram::StartUp()
{
    TfrmMain &w = *m_window;
    StartUpSteps s;
    s.openIniFiles = [this, &w] {
        w.programs().entries();
        m_names->entries();
        m_dnsCache->count();
    };
    s.readRegistry = [this] { m_settings.ReadRegistry(); };
    s.processOptions = [this] { m_settings.ProcessOptions(); };
    s.showSplash = [this] {
        m_splash = new TfrmSplash;
        m_splash->showCentered();
        QCoreApplication::processEvents();
    };
    s.createEngine = m_hooks.createEngine;
    s.refreshProgramsMenu = [&w] { w.RefreshProgramsMenu(); };
    // The one-shot timer sends the window to the tray once start-up is done.
    s.minimizeToTray = [] {};
    s.showMainWindow = [&w] { w.show(); };
    s.startSplashTimer = [this] {
        if (m_splash)
            m_splash->startTimer500();
    };
    s.loadColumnWidths = [this, &w] {
        w.setColumnWidths(columnWidthStore().load(ConnectionTableModel::ColumnCount));
    };
    s.loadPanelFlags = [&w] { w.statusPanels()->LoadPanelFlags(); };
    s.createSummaryWindow = m_hooks.createSummaryWindow;
    s.showSummaryWindow = m_hooks.showSummary;
    m_lifecycle.StartUp(s);
}

void MainProgram::connectServices()
{
    TfrmMain &w = *m_window;
    m_prompt = std::make_unique<MessageBoxPrompt>(&w);
    m_resolver->setPrompt(m_prompt.get());
    w.setCommandHandler(MainCommand::CacheEditor, [this] {
        // The editor frees itself when closed, so it must live on the heap.
        auto *editor = new TfrmCacheEditor(*m_dnsCache, m_window.get());
        editor->exec();
    });
    // "Cache cleared" and the like go to the main status text.
    connect(m_resolver.get(), &HostNameResolver::statusText, &w, &TfrmMain::SetStatusText);
    w.setCommandHandler(MainCommand::RecognizeNew, [this] { recognize(false); });
    w.setCommandHandler(MainCommand::RecognizeAs, [this] { recognize(true); });
    connectTools();
    if (!m_hooks.createSummaryWindow) {
        m_hooks.createSummaryWindow = [this] {
            m_summary = std::make_unique<TfrmSummary>(*m_summaryLog, m_settings);
            m_settings.addSink(m_summary.get());
            m_summary->applyExtras(m_settings.values());
            m_window->setCommandHandler(MainCommand::Summary, [this] {
                m_summary->show();
                m_summary->raise();
            });
        };
    }
    if (!m_hooks.showSummary)
        m_hooks.showSummary = [this] {
            if (m_summary)
                m_summary->show();
        };
    if (!m_hooks.showSummaryModal)
        m_hooks.showSummaryModal = [this] {
            if (!m_summary)
                return;
            m_summary->setExiting(true);
            m_summary->exec();
        };
}

void MainProgram::connectOptions()
{
    TfrmMain &w = *m_window;
    OptionsContext c;
    c.settings = &m_settings;
    c.ruleEditor = m_ruleEditor.get();
    c.names = m_names.get();
    c.programs = &w.programs();
    c.dnsServers = &m_dnsServers;
    c.expireNow = [this] { m_resolver->ClearCache(); };
    c.editCache = [this] {
        // Modeless; the editor frees itself when closed.
        auto *editor = new TfrmCacheEditor(*m_dnsCache, m_window.get());
        editor->setModal(false);
        editor->show();
    };
    OptionsCommands::Hooks h;
    h.stopRefresher = [this] { m_window->refresher().stop(); };
    h.startRefresher = [this] { m_window->refresher().start(); };
    h.markRebuild = [this] { m_window->cycle().setRebuildPending(true); };
    h.restorePlacement = [this] { m_window->restorePlacement(PlacementStore().load()); };
    h.restoreWindow = [this] {
        if (m_window->isInTray())
            m_window->restoreFromTray();
    };
    m_options = std::make_unique<OptionsCommands>(c, m_rules, h, &w);
    w.setCommandHandler(MainCommand::Options, [this] { m_options->showOptions(false); });
    w.setCommandHandler(MainCommand::EditRules, [this] { m_options->showOptions(true); });
    w.setCommandHandler(MainCommand::ExportConfig, [this] { m_options->exportProfile(); });
    w.setCommandHandler(MainCommand::ImportConfig, [this] { m_options->importProfile(); });
}

void MainProgram::recognize(bool fromRow)
{
    const ConnectionRecord *r = fromRow ? m_window->selectedRecord() : nullptr;
    if (fromRow && !r)
        return;
    TfrmRecognize dialog(*m_names, m_window.get());
    if (r)
        dialog.setTexts(r->HostName, r->RemoteAddressText,
                        m_names->GetFriendlyName(r->HostName, r->RemoteAddressText));
    if (dialog.exec() == QDialog::Accepted) {
        // Every row gets its recognized name again at the next refresh.
        m_window->cycle().setRebuildPending(true);
    }
}

void MainProgram::tell(const QString &text)
{
    if (m_hooks.notice)
        m_hooks.notice(text);
    else
        QMessageBox::information(nullptr, programTitle(), text);
}

void MainProgram::oneTimeTimer()
{
    // The same as the "Tray" button.
    if (m_settings.values().startInTray)
        m_window->toolbar().tb4->click();
    // The first refresh, so that the window opens with the machine's
    // connections rather than an empty table (the refresh timer is off by
    // default). The same as the "Refresh" button, unless one already runs.
    if (m_window->toolbar().tb1->isEnabled())
        m_window->toolbar().tb1->click();
}

void MainProgram::ShutDown()
{
    TfrmMain &w = *m_window;
    ShutDownSteps s;
    s.saveExePath = [this] { SaveExePath(m_registry); };
    s.saveColumnWidths = [this, &w] { columnWidthStore().save(w.columnWidths()); };
    s.showSummaryModal = m_hooks.showSummaryModal;
    s.savePlacement = [this, &w] { placements().save(w.placement()); };
    // exit() rather than quit(): quit() first asks every window to close, and
    // the debug window declines.
    s.terminate = m_hooks.terminate ? m_hooks.terminate : [] { QCoreApplication::exit(0); };
    m_lifecycle.ShutDown(s);
}

} // namespace wv
