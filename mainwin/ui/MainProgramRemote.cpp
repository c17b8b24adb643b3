// The host shown: this machine, or another host through its SNMP agent,
// picked on the toolbar. Everything downstream (the table, its events, the
// rules, the summary) works on the rows of the host shown.
#include "mainwin/EchoCounters.h"
#include "mainwin/StatusBarRefresh.h"
#include "mainwin/ui/ConnectionPane.h"
#include "mainwin/ui/MainProgram.h"
#include "mainwin/ui/MainToolbar.h"
#include "mainwin/ui/TMainStatusBar.h"
#include "refresh/RefreshCycle.h"
#include "remote/HostSnapshotSource.h"
#include "remote/RemoteSnapshotSource.h"
#include "remote/SavedAgents.h"
#include "remote/ui/HostChooser.h"
#include "remote/ui/TfrmAgent.h"
#include "settings/DebugTrace.h"
#include "settings/Version.h"
#include "stats/advstat/CounterPages.h"

#include <QAction>
#include <QLocale>
#include <QMessageBox>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>

namespace wv {

namespace {

// The status bar's echo counters of the host shown: this machine's from
// its own source, another host's as read with its rows.
class HostEchoCounters : public EchoCounterSource
{
public:
    HostEchoCounters(const HostSnapshotSource &host, std::unique_ptr<EchoCounterSource> local)
        : m_host(host), m_local(std::move(local))
    {
    }
    std::optional<EchoCounters> read() override
    {
        if (!m_host.isRemote())
            return m_local ? m_local->read() : std::nullopt;
        EchoCounters c;
        if (const auto &echo = m_host.echoCounters()) {
            c.inEchos = echo->first;
            c.inEchoReps = echo->second;
        } else {
            c.known = false;
        }
        c.current = m_host.isCurrent();
        return c;
    }

private:
    const HostSnapshotSource &m_host;
    std::unique_ptr<EchoCounterSource> m_local;
};

} // namespace

void MainProgram::connectRemote()
{
    // A caller that brought its own source keeps it; there is no chooser then.
    if (!m_hostSource)
        return;
    m_agents = SavedAgents::load(m_registry);
    m_hostChooser = new HostChooser;
    m_hostChooser->setAgents(m_agents);
    QAction *action = m_window->toolbar().Toolbar971->addWidget(m_hostChooser);
    action->setObjectName(QStringLiteral("tbHost"));
    connect(m_hostChooser, &HostChooser::hostChosen, this, &MainProgram::showHost);
    connect(m_hostChooser, &HostChooser::addRequested, this, &MainProgram::addAgent);
    connect(m_hostChooser, &HostChooser::editRequested, this, &MainProgram::editAgent);
    connect(m_hostChooser, &HostChooser::removeRequested, this, &MainProgram::removeAgent);
    m_hostSource->setStateHandler([this] { hostStateChanged(); });
    installHostStatusFilter();
    m_counterPages = std::make_unique<CounterPages>();
    if (TMainStatusBar *bar = m_window->statusPanels()) {
        StatusBarRefresh *refresh = bar->statusRefresh();
        refresh->setCounterSource(
            std::make_unique<HostEchoCounters>(*m_hostSource, refresh->setCounterSource(nullptr)));
    }
}

void MainProgram::installHostStatusFilter()
{
    m_window->setStatusTextFilter([this](const QString &text) {
        if (!m_hostSource->isRemote())
            return text;
        if (m_hostSource->isCurrent())
            return m_hostSource->hostName() + QStringLiteral("  -  ") + text;
        const QString since =
            m_hostSource->rowsTime().isValid()
                ? QStringLiteral("the rows of %1 are not current")
                      .arg(QLocale().toString(m_hostSource->rowsTime().time(), QLocale::LongFormat))
                : QStringLiteral("no rows read yet");
        return m_hostSource->failure() + QStringLiteral("  -  ") + since;
    });
}

void MainProgram::showHost(int agent)
{
    if (agent < 0 || agent >= m_agents.size()) {
        DebugLog(QStringLiteral("showHost; this machine"));
        m_hostSource->showLocal();
        m_counterPages->showLocal();
    } else {
        RemoteAgent a = m_agents[agent];
        QString error;
        if (!SavedAgents::readSecrets(a, &error))
            DebugLog(QStringLiteral("showHost; secrets of %1: %2").arg(a.displayName(), error));
        DebugLog(QStringLiteral("showHost; %1").arg(a.displayName()));
        m_hostSource->showRemote(a);
        // The statistics window reads through a session of its own.
        m_counterPages->showRemote(a.displayName(),
                                   remoteAgentLoader(std::make_shared<SnmpClient>(a)));
    }
    m_hostChooser->setShown(agent);
    // The table is the new host's from the next refresh on, rebuilt whole.
    m_window->cycle().setRebuildPending(true);
    QToolButton *refresh = m_window->toolbar().tb1;
    if (refresh && refresh->isEnabled())
        refresh->click();
}

void MainProgram::addAgent()
{
    TfrmAgent dialog(m_window.get());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const RemoteAgent a = dialog.agent();
    // The same agent again replaces its entry.
    int at = -1;
    for (int i = 0; i < m_agents.size(); ++i) {
        if (m_agents[i].displayName() == a.displayName())
            at = i;
    }
    QString error;
    if (!SavedAgents::storeAgent(m_registry, m_agents, at, a, &error)) {
        tell(QStringLiteral("The agent %1 could not be saved: %2").arg(a.displayName(), error));
        return;
    }
    m_hostChooser->setAgents(m_agents);
    showHost(at < 0 ? int(m_agents.size()) - 1 : at);
}

void MainProgram::editAgent(int agent)
{
    if (agent < 0 || agent >= m_agents.size())
        return;
    RemoteAgent a = m_agents[agent];
    QString error;
    if (!SavedAgents::readSecrets(a, &error))
        DebugLog(QStringLiteral("editAgent; secrets of %1: %2").arg(a.displayName(), error));
    TfrmAgent dialog(m_window.get());
    dialog.setWindowTitle(QStringLiteral("Edit agent"));
    dialog.setAgent(a);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const RemoteAgent edited = dialog.agent();
    for (int i = 0; i < m_agents.size(); ++i) {
        if (i != agent && m_agents[i].displayName() == edited.displayName()) {
            tell(QStringLiteral("The agent %1 is saved already; the changes were not saved.")
                     .arg(edited.displayName()));
            return;
        }
    }
    if (!SavedAgents::storeAgent(m_registry, m_agents, agent, edited, &error)) {
        tell(QStringLiteral("The changes to the agent %1 could not be saved: %2")
                 .arg(a.displayName(), error));
        return;
    }
    m_hostChooser->setAgents(m_agents);
    // Shown with its new settings from the next refresh on.
    showHost(agent);
}

void MainProgram::removeAgent(int agent)
{
    if (agent < 0 || agent >= m_agents.size())
        return;
    const QString name = m_agents[agent].displayName();
    const QString question =
        QStringLiteral("Remove the agent %1 and its stored secrets?").arg(name);
    const bool yes = m_hooks.confirm
                         ? m_hooks.confirm(question)
                         : QMessageBox::question(m_window.get(), QStringLiteral("Remove agent"),
                                                 question) == QMessageBox::Yes;
    if (!yes)
        return;
    const int shown = m_hostChooser->shown();
    QString warning;
    if (!SavedAgents::removeAgent(m_registry, m_agents, agent, &warning)) {
        tell(QStringLiteral("The agent %1 could not be removed: %2").arg(name, warning));
        return;
    }
    if (!warning.isEmpty())
        tell(QStringLiteral("The agent %1 was removed, but %2").arg(name, warning));
    m_hostChooser->setAgents(m_agents);
    if (shown == agent)
        showHost(-1);
    else
        m_hostChooser->setShown(shown > agent ? shown - 1 : shown);
}

void MainProgram::hostStateChanged()
{
    const bool remote = m_hostSource->isRemote();
    const bool current = m_hostSource->isCurrent();
    QString title = programTitle();
    if (remote)
        title += QStringLiteral(" - ") + m_hostSource->hostName() +
                 (current ? QString() : QStringLiteral(" (not current)"));
    m_window->setWindowTitle(title);
    // Rows that are not current are drawn as disabled text.
    QTableView *lv = m_window->pane().lv;
    QPalette palette = lv->palette();
    const QPalette base = m_window->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Text,
                         current ? base.color(group, QPalette::Text)
                                 : base.color(QPalette::Disabled, QPalette::Text));
    }
    lv->setPalette(palette);
    // Setting the filter again shows the last status text through it anew.
    installHostStatusFilter();
}

} // namespace wv
