#include "ui/MainProgram.h"

#include "monitor/portdb/ui/TfrmPortInfo.h"
#include "monitor/refresh/ConnectionTableModel.h"
#include "rules/RulesFile.h"
#include "settings/DebugTrace.h"
#include "settings/Paths.h"
#include "settings/programs/ProgramsList.h"
#include "ui/mainlogic/ColumnWidthStore.h"
#include "ui/mainlogic/PlacementStore.h"
#include "ui/windows/TMainStatusBar.h"
#include "ui/windows/TfrmDebug.h"
#include "ui/windows/TfrmSplash.h"
#include "ui/windows/WvApplication.h"

#include <QCoreApplication>
#include <QMessageBox>

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
      m_fnames(Paths::userFile(QStringLiteral("wvnfnames.ini"))),
      m_cache(Paths::userFile(QStringLiteral("wvncache.ini"))), m_lifecycle(m_settings.values())
{
    m_oneTime.setObjectName(QStringLiteral("oneTime"));
    m_oneTime.setInterval(150);
    m_oneTime.setSingleShot(true);
    connect(&m_oneTime, &QTimer::timeout, this, &MainProgram::oneTimeTimer);
}

MainProgram::~MainProgram()
{
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
    m_debug->show();
    // The options put it on the screen or off it.
    m_settings.addSink(m_debug.get());
    if (m_hooks.createRuleEditor)
        m_hooks.createRuleEditor();
    QCoreApplication::processEvents();

    m_services.registry = &m_registry;
    m_window = std::make_unique<TfrmMain>(m_settings, m_services);
    m_window->setDebugWindow(m_debug.get());
    m_window->setShutDown([this] { ShutDown(); });
    m_window->setErrorReporter([this](const QString &message) {
        if (WvApplication *app = WvApplication::instance())
            app->showException(message);
        else
            QMessageBox::critical(m_window.get(), QStringLiteral("Error"), message);
    });
    if (!m_services.portInfo) {
        m_portInfo = std::make_unique<WindowPortInfo>(m_window.get());
        m_window->setPortInfoOpener(m_portInfo.get());
    }
    m_window->setCommandHandler(MainCommand::PortDatabase,
                                [this] { ShowPortInfoForm(m_window.get()); });

    NoticeSink notices(m_hooks.notice ? m_hooks.notice : [](const QString &text) {
        QMessageBox::information(nullptr, QStringLiteral("Wirevane 3.0"), text);
    });
    RulesFile().loadAtStartUp(m_rules, notices);

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
        m_fnames.readSections();
        m_cache.readSections();
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
    s.loadColumnWidths = [&w] {
        w.setColumnWidths(ColumnWidthStore().load(ConnectionTableModel::ColumnCount));
    };
    s.loadPanelFlags = [&w] { w.statusPanels()->LoadPanelFlags(); };
    s.createSummaryWindow = m_hooks.createSummaryWindow;
    s.showSummaryWindow = m_hooks.showSummary;
    m_lifecycle.StartUp(s);
}

void MainProgram::oneTimeTimer()
{
    if (m_settings.values().startInTray)
        m_window->sendToTray(true);
}

void MainProgram::ShutDown()
{
    TfrmMain &w = *m_window;
    ShutDownSteps s;
    s.saveExePath = [this] { SaveExePath(m_registry); };
    s.saveColumnWidths = [&w] { ColumnWidthStore().save(w.columnWidths()); };
    s.showSummaryModal = m_hooks.showSummaryModal;
    s.savePlacement = [&w] { PlacementStore().save(w.placement()); };
    // exit() rather than quit(): quit() first asks every window to close, and
    // the debug window declines.
    s.terminate = m_hooks.terminate ? m_hooks.terminate : [] { QCoreApplication::exit(0); };
    m_lifecycle.ShutDown(s);
}

} // namespace wv
