#pragma once

#include "settings/SettingsStore.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QEventLoop;
class QTimer;

namespace wv {

class DnsCache;
class ReverseLookup;
class UserPrompt;

// Host names for remote addresses: the DNS cache first, a reverse look-up on
// the network otherwise, every answer written back to the cache.
//
// Callers wait for their answer in a local event loop, so the user interface
// keeps running meanwhile. Look-ups go to the network strictly one at a time:
// a caller that asks while another look-up is pending (say from a timer that
// fired during the wait) is queued behind it, and each caller gets the answer
// for its own address. Every look-up is bounded by the dnsTimeoutWait timer;
// a look-up that times out gives the address itself.
//
// Settings are read live from the set passed in (cacheDNS, dnsTimeoutWait,
// WarnExpire, Expires, ExpireDelay).
class HostNameResolver : public QObject, public OptionsSink
{
    Q_OBJECT
public:
    HostNameResolver(const Settings &settings, DnsCache &cache, QObject *parent = nullptr);
    ~HostNameResolver() override;

    // Cached look-up: the entry point for every caller. An address that is not
    // numeric gives an empty name and leaves the cache alone.
    QString GetHostName(const QString &address);
    // One reverse look-up on the network, bounded by the timeout.
    QString ResolveAddress(const QString &address);

    // Queries on the network at once while prefetch() runs: enough to resolve
    // a busy server's new peers in a few round trips, few enough not to flood
    // a small name server (dnsmasq forwards 150 at a time by default).
    static constexpr int MaxInFlight = 64;
    // Looks up side by side every address of the list that is numeric and not
    // cached, so that the GetHostName calls that follow answer at once, with
    // the answers, cache writes and trace lines they would have had one by
    // one. The wait ends at the latest dnsTimeoutWait after the first query
    // (in a local event loop): an address still unanswered then counts as
    // timed out; one never sent (more than MaxInFlight queries were still
    // outstanding) is shown as itself and not cached, so it is asked for again
    // at the next rebuild.
    // The cache writes of the GetHostName calls up to endPrefetch() are
    // held and made in one rewrite of the cache file there.
    void prefetch(const QStringList &addresses);
    // Forgets what prefetch() gathered and writes the names it learnt.
    void endPrefetch();
    // Empties the cache, first asking when WarnExpire is on. True when cleared.
    bool ClearCache();

    // The questions ClearCache asks go here; without one, the answer is "No".
    void setPrompt(UserPrompt *prompt) { m_prompt = prompt; }
    // Name servers ("address[:port]"); empty for the system's.
    bool setServers(const QStringList &servers);
    QString lastError() const;

    // The address of the look-up on the network, empty between look-ups.
    QString PendingAddress() const;
    bool isBusy() const { return m_active != nullptr; }
    int queuedCount() const { return int(m_queue.size()); }
    QTimer *timeoutTimer() const { return m_dnsTimeoutWait; }
    QTimer *expiryTimer() const { return m_expiry; }

    // OptionsSink
    void applyDnsTimeout(int milliseconds) override;
    void applyExtras(const Settings &settings) override;

Q_SIGNALS:
    // A text for the main status panel.
    void statusText(const QString &text);
    void cacheCleared();

private:
    struct Pending
    {
        QString address;
        QString result;
        bool done = false;
        QEventLoop *loop = nullptr;
    };
    void startNext();
    void finish(const QString &result);
    void onLookupFinished(int error, const QString &name);
    void onTimeout();
    void onExpiry();
    // The answer prefetch() gathered for an address, if any.
    struct Prefetched
    {
        enum Kind
        {
            Answered, // name, empty when the look-up failed
            TimedOut,
            NotAsked,
        } kind = NotAsked;
        QString name;
    };

    const Settings &m_settings;
    DnsCache &m_cache;
    UserPrompt *m_prompt = nullptr;
    ReverseLookup *m_lookup;
    ReverseLookup *m_batchLookup; // prefetch()'s own channel
    QHash<QString, Prefetched> m_prefetched;
    QEventLoop *m_batchLoop = nullptr;
    bool m_holdingCache = false; // between prefetch() and endPrefetch()
    QTimer *m_dnsTimeoutWait;
    QTimer *m_expiry;
    QList<Pending *> m_queue; // waiting callers, oldest first
    Pending *m_active = nullptr;
    bool m_clearing = false;
};

} // namespace wv
