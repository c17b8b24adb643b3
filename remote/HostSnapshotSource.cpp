#include "remote/HostSnapshotSource.h"

#include "remote/RemoteSnapshotSource.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <exception>
#include <thread>

namespace wv {

HostSnapshotSource::HostSnapshotSource(std::unique_ptr<SnapshotSource> local)
    : m_local(std::move(local))
{
}

HostSnapshotSource::~HostSnapshotSource() = default;

QString HostSnapshotSource::hostName() const
{
    return m_remote ? m_agent.displayName() : QStringLiteral("This machine");
}

void HostSnapshotSource::setDetails(bool on)
{
    m_details = on;
    m_local->setDetails(on);
    if (m_remote)
        m_remote->setDetails(on);
}

void HostSnapshotSource::showLocal()
{
    m_remote.reset();
    m_rows.clear();
    m_echo.reset();
    m_failure.clear();
    if (m_onState)
        m_onState();
}

void HostSnapshotSource::showRemote(const RemoteAgent &agent)
{
    m_agent = agent;
    m_remote = std::make_shared<RemoteSnapshotSource>(agent);
    m_remote->setDetails(m_details);
    m_rows.clear();
    m_echo.reset();
    m_rowsTime = QDateTime();
    m_failure.clear();
    if (m_onState)
        m_onState();
}

QList<SnapshotRow> HostSnapshotSource::takeSnapshot()
{
    if (!m_remote)
        return takeLocal();
    return takeRemote();
}

QList<SnapshotRow> HostSnapshotSource::takeLocal()
{
    // A snapshot as quick as the last one was is taken here: a thread for it
    // would cost more than it saves. The first one, and any after a slow one,
    // go to a worker.
    if (m_lastLocalMs >= 0 && m_lastLocalMs < InlineBelowMs) {
        QElapsedTimer clock;
        clock.start();
        QList<SnapshotRow> rows = m_local->takeSnapshot();
        m_lastLocalMs = clock.elapsed();
        return rows;
    }
    QElapsedTimer clock;
    clock.start();
    struct Job
    {
        std::shared_ptr<SnapshotSource> source;
        QList<SnapshotRow> rows;
        std::exception_ptr failure;
    };
    auto job = std::make_shared<Job>();
    job->source = m_local;
    QEventLoop loop;
    std::atomic<bool> done{false};
    std::thread worker([job, &done, &loop] {
        try {
            job->rows = job->source->takeSnapshot();
        } catch (...) {
            job->failure = std::current_exception();
        }
        done = true;
        // The loop is there until this thread has been joined.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    if (!done)
        loop.exec();
    worker.join();
    m_lastLocalMs = clock.elapsed();
    if (job->failure)
        std::rethrow_exception(job->failure);
    return std::move(job->rows);
}

QList<SnapshotRow> HostSnapshotSource::takeRemote()
{
    // The worker owns what it touches (the source, its result) through shared
    // pointers, so a switch of host during the wait leaves it nothing dangling.
    struct Job
    {
        std::shared_ptr<RemoteSnapshotSource> source;
        QList<SnapshotRow> rows;
        std::optional<std::pair<qint64, qint64>> echo;
        QString failure;
        std::exception_ptr other;
        std::atomic<bool> done{false};
    };
    auto job = std::make_shared<Job>();
    job->source = m_remote;
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    std::thread worker([job] {
        try {
            job->rows = job->source->takeSnapshot();
            // The status bar's echo figures come with the rows; an agent that
            // refuses them still gives its rows.
            try {
                job->echo = job->source->readEchoCounters();
            } catch (const RemoteAgentError &) {
            }
        } catch (const RemoteAgentError &e) {
            job->failure = e.Message();
        } catch (...) {
            job->other = std::current_exception();
        }
        job->done = true;
    });
    if (m_onWait)
        m_onWait(true);
    // The worker ends within the agent's time-out and retries; the loop looks
    // for that every few milliseconds and keeps the interface alive meanwhile.
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (job->done)
            loop.quit();
    });
    poll.start();
    if (!job->done)
        loop.exec();
    worker.join();
    if (m_onWait)
        m_onWait(false);
    if (job->other)
        std::rethrow_exception(job->other);
    // Another host may have been chosen during the wait: this answer is not its.
    if (job->source != m_remote)
        return m_rows;
    if (job->failure.isEmpty()) {
        m_rows = std::move(job->rows);
        m_echo = job->echo;
        m_rowsTime = QDateTime::currentDateTime();
        m_failure.clear();
    } else {
        m_failure = job->failure;
    }
    if (m_onState)
        m_onState();
    return m_rows;
}

} // namespace wv
