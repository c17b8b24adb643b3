#include "monitor/HostNameResolver.h"

#include "monitor/DnsCache.h"
#include "monitor/ReverseLookup.h"
#include "monitor/UserPrompt.h"
#include "settings/DebugTrace.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>

namespace wv {

namespace {

// The bounds of the timeout option; a stored value outside them would make
// the timer fire at once or never.
int boundedTimeout(int ms)
{
    return qBound(50, ms, 120000);
}

} // namespace

HostNameResolver::HostNameResolver(const Settings &settings, DnsCache &cache, QObject *parent)
    : QObject(parent), m_settings(settings), m_cache(cache), m_lookup(new ReverseLookup(this)),
      m_batchLookup(new ReverseLookup(this)), m_dnsTimeoutWait(new QTimer(this)),
      m_expiry(new QTimer(this))
{
    m_dnsTimeoutWait->setObjectName(QStringLiteral("dnsTimeoutWait"));
    m_dnsTimeoutWait->setSingleShot(true);
    // A coarse timer may fire up to 5% early; the bound is a promise to the user.
    m_dnsTimeoutWait->setTimerType(Qt::PreciseTimer);
    m_dnsTimeoutWait->setInterval(boundedTimeout(settings.dnsTimeoutWait));
    connect(m_dnsTimeoutWait, &QTimer::timeout, this, &HostNameResolver::onTimeout);
    m_expiry->setObjectName(QStringLiteral("cacheExpiry"));
    connect(m_expiry, &QTimer::timeout, this, &HostNameResolver::onExpiry);
    connect(m_lookup, &ReverseLookup::lookupFinished, this, &HostNameResolver::onLookupFinished);
    connect(m_lookup, &ReverseLookup::lookupFailed, this, [this] { finish(QString()); });
    applyExtras(settings);
}

HostNameResolver::~HostNameResolver()
{
    // The names of a refresh cut short are written all the same.
    if (m_holdingCache)
        m_cache.releaseWrites();
    // Callers still waiting get an empty answer; they notice that the
    // resolver is gone and touch nothing of it.
    QList<Pending *> waiting = m_queue;
    if (m_active)
        waiting.prepend(m_active);
    m_queue.clear();
    m_active = nullptr;
    if (m_batchLoop)
        m_batchLoop->quit();
    for (Pending *p : waiting) {
        p->done = true;
        if (p->loop)
            p->loop->quit();
    }
}

QString HostNameResolver::GetHostName(const QString &address)
{
    if (!isNumericAddress(address))
        return {};
    if (m_settings.cacheDNS) {
        const QString cached = m_cache.lookup(address);
        if (!cached.isEmpty())
            return cached;
    }
    QString name;
    const auto pre = m_prefetched.constFind(address);
    if (pre != m_prefetched.cend()) {
        switch (pre->kind) {
        case Prefetched::Answered:
            name = pre->name;
            break;
        case Prefetched::TimedOut:
            DebugLog(QStringLiteral("DNS Timeout"));
            name = address;
            DebugLog(QStringLiteral("dnsResult := ") + name);
            break;
        case Prefetched::NotAsked:
            return address;
        }
    } else {
        QPointer<HostNameResolver> self(this);
        name = ResolveAddress(address);
        if (!self)
            return name;
    }
    if (m_settings.cacheDNS)
        m_cache.store(address, name);
    m_cache.stampCreated();
    return name;
}

QString HostNameResolver::ResolveAddress(const QString &address)
{
    Pending pending;
    pending.address = address;
    QPointer<HostNameResolver> self(this);
    m_queue.append(&pending);
    if (!m_active)
        startNext();
    if (!pending.done) {
        QEventLoop loop;
        pending.loop = &loop;
        loop.exec();
        pending.loop = nullptr;
    }
    if (self) {
        m_queue.removeOne(&pending);
        // exec() returns at once while the application is shutting down; the
        // look-up must not outlive this frame.
        if (m_active == &pending) {
            m_lookup->cancel();
            m_active = nullptr;
            m_dnsTimeoutWait->stop();
            startNext();
        }
    }
    return pending.result;
}

void HostNameResolver::startNext()
{
    while (!m_active && !m_queue.isEmpty()) {
        m_active = m_queue.takeFirst();
        m_dnsTimeoutWait->start();
        // A refused start reports through lookupFailed from the event loop.
        m_lookup->start(m_active->address);
    }
}

void HostNameResolver::finish(const QString &result)
{
    Pending *p = m_active;
    if (!p)
        return;
    m_active = nullptr;
    m_dnsTimeoutWait->stop();
    p->result = result;
    p->done = true;
    if (p->loop)
        p->loop->quit();
    startNext();
}

void HostNameResolver::onLookupFinished(int error, const QString &name)
{
    finish(error == 0 ? name : QString());
}

void HostNameResolver::onTimeout()
{
    if (!m_active)
        return;
    DebugLog(QStringLiteral("DNS Timeout"));
    m_lookup->cancel();
    const QString result = m_active->address;
    DebugLog(QStringLiteral("dnsResult := ") + result);
    finish(result);
}

QString HostNameResolver::PendingAddress() const
{
    return m_active ? m_active->address : QString();
}

bool HostNameResolver::setServers(const QStringList &servers)
{
    if (m_active) {
        // The channel is about to be replaced; the pending caller gets no name.
        m_lookup->cancel();
        finish(QString());
    }
    return m_lookup->setServers(servers) && m_batchLookup->setServers(servers);
}

QString HostNameResolver::lastError() const
{
    return m_lookup->lastError();
}

bool HostNameResolver::ClearCache()
{
    if (m_clearing)
        return false;
    m_clearing = true;
    QPointer<HostNameResolver> self(this);
    bool yes = true;
    if (m_settings.WarnExpire) {
        const QString text =
            QStringLiteral("You have decided to allow the Wirevane cache expire.\n"
                           "The cache currently holds %1 entries, some of which date to: \n\n")
                .arg(m_cache.count()) +
            m_cache.created(QStringLiteral(":) bad")) + QStringLiteral("\n\nDelete the cache?");
        yes = m_prompt && m_prompt->askWarningYesNo(QStringLiteral("Warning"), text);
    }
    if (!self)
        return false;
    m_clearing = false;
    if (!yes)
        return false;
    m_cache.file().eraseSection(DnsCache::CacheSection);
    Q_EMIT statusText(QStringLiteral("Cache cleared"));
    m_cache.file().deleteKey(DnsCache::MainSection, DnsCache::CreatedKey);
    Q_EMIT cacheCleared();
    return true;
}

void HostNameResolver::applyDnsTimeout(int milliseconds)
{
    m_dnsTimeoutWait->setInterval(boundedTimeout(milliseconds));
}

void HostNameResolver::applyExtras(const Settings &settings)
{
    if (!settings.Expires) {
        m_expiry->stop();
        return;
    }
    const int interval = qBound(1, settings.ExpireDelay, 4320) * 60 * 1000;
    if (!m_expiry->isActive() || m_expiry->interval() != interval)
        m_expiry->start(interval);
}

void HostNameResolver::onExpiry()
{
    DebugLog(QStringLiteral("ExpireCache;"));
    ClearCache();
}

} // namespace wv
