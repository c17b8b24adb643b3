// The parallel half of the resolver: every new address of a refresh asked for
// at once, instead of one look-up after another inside the refresh.
#include "monitor/DnsCache.h"
#include "monitor/HostNameResolver.h"
#include "monitor/ReverseLookup.h"

#include <QEventLoop>
#include <QPointer>
#include <QSet>
#include <QTimer>

namespace wv {

void HostNameResolver::prefetch(const QStringList &addresses)
{
    m_prefetched.clear();
    if (!m_holdingCache) {
        m_cache.holdWrites();
        m_holdingCache = true;
    }
    if (m_batchLoop)
        return; // a prefetch is already waiting further down the stack
    QStringList wanted;
    QSet<QString> seen;
    for (const QString &a : addresses) {
        if (!isNumericAddress(a) || seen.contains(a))
            continue;
        seen.insert(a);
        if (m_settings.cacheDNS && !m_cache.lookup(a).isEmpty())
            continue;
        wanted.append(a);
        m_prefetched.insert(a, {Prefetched::NotAsked, {}});
    }
    if (wanted.isEmpty())
        return;

    QEventLoop loop;
    QHash<quint64, QString> inFlight;
    qsizetype next = 0;
    auto sendMore = [&] {
        while (inFlight.size() < MaxInFlight && next < wanted.size()) {
            const QString &a = wanted.at(next++);
            const quint64 id = m_batchLookup->add(a);
            // A look-up that cannot be started gives an empty name.
            m_prefetched[a] = {id ? Prefetched::TimedOut : Prefetched::Answered, {}};
            if (id)
                inFlight.insert(id, a);
        }
        if (inFlight.isEmpty())
            loop.quit();
    };
    const auto answered =
        connect(m_batchLookup, &ReverseLookup::answered, this,
                [&](quint64 id, int error, const QString &name) {
                    const auto it = inFlight.constFind(id);
                    if (it == inFlight.cend())
                        return;
                    m_prefetched[*it] = {Prefetched::Answered, error == 0 ? name : QString()};
                    inFlight.erase(it);
                    sendMore();
                });
    QTimer deadline;
    deadline.setSingleShot(true);
    // The bound is a promise to the user; a coarse timer may fire late.
    deadline.setTimerType(Qt::PreciseTimer);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(m_dnsTimeoutWait->interval());
    sendMore();
    if (inFlight.isEmpty()) {
        disconnect(answered);
        return;
    }
    QPointer<HostNameResolver> self(this);
    m_batchLoop = &loop;
    loop.exec();
    if (!self)
        return; // destroyed while waiting; nothing of it may be touched
    m_batchLoop = nullptr;
    disconnect(answered);
    // What is still outstanding has timed out; its answers are not wanted.
    m_batchLookup->cancel();
}

void HostNameResolver::endPrefetch()
{
    m_prefetched.clear();
    if (m_holdingCache) {
        m_holdingCache = false;
        m_cache.releaseWrites();
    }
}

} // namespace wv
