// The statistics window and the view bar, wired to the main window.

#include "mainwin/ui/MainProgram.h"

#include "components/ui/WvApplication.h"
#include "engine/EngineErrors.h"
#include "mainwin/ui/MainToolbar.h"
#include "refresh/ConnectionTableModel.h"
#include "settings/DebugTrace.h"
#include "settings/ui/OptionsCommands.h"
#include "settings/ui/TfrmOptions.h"
#include "stats/advstat/AdapterStatistics.h"
#include "stats/ui/TfrmAdvStatus.h"
#include "stats/ui/ViewBarHost.h"
#include "stats/viewbar/ModelViewBarTable.h"

#include <QMessageBox>
#include <QToolButton>

namespace wv {

void MainProgram::connectStats()
{
    TfrmMain &w = *m_window;
    m_adapterChoice = std::make_unique<AdapterChoice>(m_registry);
    // The bar walks the table in record order, whatever the window's sorting.
    m_viewBarTable =
        std::make_unique<ModelViewBarTable>(w.tableModel(), [&w] { w.toolbar().tb1->click(); });
    ViewBarCommands commands;
    commands.refresh = [&w] { w.toolbar().tb1->click(); };
    commands.showMainWindow = [&w] {
        if (w.isInTray()) {
            w.restoreFromTray();
            return;
        }
        w.setWindowState(w.windowState() & ~Qt::WindowMinimized);
        w.show();
        w.raise();
        w.activateWindow();
    };
    commands.exitProgram = [this] { ShutDown(); };
    commands.connectionInfo = [this](int row) {
        if (m_hooks.connectionInfo)
            m_hooks.connectionInfo(row);
    };
    m_viewBar = std::make_unique<ViewBarHost>(m_settings, *m_viewBarTable, commands, [this] {
        return std::make_unique<ChosenAdapterCounters>(*m_adapterChoice);
    });
    m_settings.addSink(m_viewBar.get());

    w.setViewBarShownQuery([this] { return m_viewBar->isShown(); });
    w.setCommandHandler(MainCommand::ViewBarToggle, [this] { m_viewBar->mnuToggleClick(); });
    w.setCommandHandler(MainCommand::ViewBarSwitch, [this] { m_viewBar->mnuSwitchClick(); });
    w.setCommandHandler(MainCommand::ViewBarAutoHide, [this] { m_viewBar->mnuAutoHideClick(); });
    w.setCommandHandler(MainCommand::ViewBarScroll, [this] { m_viewBar->mnuScrollClick(); });
    w.setCommandHandler(MainCommand::AdvancedStatistics, [this] { ShowAdvancedStatistics(); });
    if (m_options)
        m_options->context().startViewBar = [this] { StartViewBar(); };
}

void MainProgram::ShowAdvancedStatistics()
{
    TfrmAdvStatus::Sources sources;
    sources.adapter = m_adapterChoice.get();
    sources.pages = m_counterPages.get();
    TfrmAdvStatus *form = nullptr;
    try {
        form = new TfrmAdvStatus(m_settings.values(), sources, m_window.get());
    } catch (const EngineException &e) {
        if (WvApplication *app = WvApplication::instance())
            app->showException(e.Message());
        else
            QMessageBox::critical(m_window.get(), QStringLiteral("Error"), e.Message());
        return;
    }
    form->show();
}

void MainProgram::StartViewBar()
{
    m_viewBar->showViewBar();
}

} // namespace wv
