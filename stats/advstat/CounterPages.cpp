#include "stats/advstat/CounterPages.h"

#include "engine/EngineErrors.h"
#include "engine/NetstatCounters.h"

#include <QMetaObject>

#include <memory>

namespace wv {

CounterPages::CounterPages(QObject *parent) : QObject(parent) {}

CounterPages::~CounterPages()
{
    if (m_worker.joinable())
        m_worker.join();
}

QString CounterPages::hostName() const
{
    return isRemote() ? m_hostName : QStringLiteral("This machine");
}

void CounterPages::showLocal()
{
    ++m_generation;
    m_loader = {};
    m_hostName.clear();
    m_pending.reset();
    m_kept = {};
    Q_EMIT hostChanged();
}

void CounterPages::showRemote(const QString &hostName, AgentLoader loader)
{
    ++m_generation;
    m_loader = std::move(loader);
    m_hostName = hostName;
    m_pending.reset();
    m_kept = {};
    Q_EMIT hostChanged();
}

void CounterPages::read(StatsPage page)
{
    if (!isRemote() || page == StatsPage::Connection)
        return;
    if (m_worker.joinable()) {
        m_pending = page;
        return;
    }
    start(page);
}

void CounterPages::start(StatsPage page)
{
    // The worker has its own copy of the loader: a switch of host meanwhile
    // leaves it nothing dangling, and its answer is then dropped.
    const quint64 generation = m_generation;
    m_worker = std::thread([this, loader = m_loader, generation, page] {
        CounterRows rows;
        try {
            std::unique_ptr<TCounterList> list = makeCounterList(page, loader);
            rows = readCounterRows(*list);
        } catch (const EngineException &e) {
            rows.error = e.Message();
        }
        QMetaObject::invokeMethod(
            this, [this, generation, page, rows] { finished(generation, page, rows); },
            Qt::QueuedConnection);
    });
}

void CounterPages::finished(quint64 generation, StatsPage page, const CounterRows &rows)
{
    m_worker.join();
    // The next read starts first, so that isReading() tells the receivers
    // of pageRead whether more is coming.
    if (m_pending) {
        const StatsPage next = *m_pending;
        m_pending.reset();
        if (isRemote())
            start(next);
    }
    if (generation != m_generation)
        return;
    Kept &kept = m_kept[size_t(page)];
    Result result;
    result.page = page;
    if (rows.error) {
        // Rows read before the failure would mix two moments: the last whole
        // page stands instead.
        result.current = false;
        result.failure = *rows.error;
    } else {
        kept.rows = rows.rows;
        kept.time = QDateTime::currentDateTime();
    }
    result.rows = kept.rows;
    result.readTime = kept.time;
    Q_EMIT pageRead(result);
}

} // namespace wv
