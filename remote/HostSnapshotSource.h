#pragma once

#include "refresh/SnapshotSource.h"
#include "remote/RemoteAgent.h"

#include <QDateTime>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace wv {

class RemoteSnapshotSource;

// The source of the host being shown: this machine, or another host through
// its SNMP agent. Either snapshot is taken on a worker thread while the
// calling thread keeps processing its events, so a window never freezes on a
// slow or silent agent, nor while this machine's tables of a busy server are
// read (this machine's are read in place while they take under 50 ms). An agent that fails does not
// fail the refresh: the rows of its last good snapshot are handed out again (no connection is
// reported as gone because the agent was silent), and the failure is told through isCurrent(),
// failure() and the state handler.
class HostSnapshotSource : public SnapshotSource
{
public:
    explicit HostSnapshotSource(std::unique_ptr<SnapshotSource> local);
    ~HostSnapshotSource() override;

    QList<SnapshotRow> takeSnapshot() override;
    // Owners and byte counts where the source knows them: an agent gives
    // the owning processes (not the byte counts), asked for only while on.
    void setDetails(bool on) override;

    void showLocal();
    void showRemote(const RemoteAgent &agent);
    bool isRemote() const { return m_remote != nullptr; }
    // The agent shown (meaningful while isRemote()).
    const RemoteAgent &agent() const { return m_agent; }
    // "This machine" or the agent's name.
    QString hostName() const;

    // Whether the rows handed out last are the host's current ones.
    bool isCurrent() const { return m_failure.isEmpty(); }
    // The last failure's message; empty after a good snapshot.
    const QString &failure() const { return m_failure; }
    // When the rows handed out were read.
    const QDateTime &rowsTime() const { return m_rowsTime; }

    // The agent's ICMP echo counters (requests, replies received) as read with
    // the rows handed out last; nullopt before the first or when it lacks them.
    const std::optional<std::pair<qint64, qint64>> &echoCounters() const { return m_echo; }

    // Called after every remote snapshot, good or failed, and on a switch.
    void setStateHandler(std::function<void()> handler) { m_onState = std::move(handler); }
    // While a remote walk runs (for example to show it in the status bar).
    void setWaitHandler(std::function<void(bool waiting)> handler)
    {
        m_onWait = std::move(handler);
    }

private:
    QList<SnapshotRow> takeLocal();
    QList<SnapshotRow> takeRemote();

    // Shared with a worker still reading it.
    std::shared_ptr<SnapshotSource> m_local;
    // How long this machine's last snapshot took (-1 before the first); one
    // quicker than InlineBelowMs is taken on the calling thread.
    static constexpr qint64 InlineBelowMs = 50;
    qint64 m_lastLocalMs = -1;
    std::shared_ptr<RemoteSnapshotSource> m_remote;
    RemoteAgent m_agent;
    bool m_details = false;
    QList<SnapshotRow> m_rows;
    QDateTime m_rowsTime;
    QString m_failure;
    std::optional<std::pair<qint64, qint64>> m_echo;
    std::function<void()> m_onState;
    std::function<void(bool)> m_onWait;
};

} // namespace wv
