#include "tools/quick/QuickDnsLookup.h"

#include "monitor/DnsCache.h"
#include "monitor/ReverseLookup.h"
#include "settings/DebugTrace.h"
#include "tools/quick/TextRules.h"

#include <QEventLoop>
#include <QTimer>

namespace wv {

QuickDnsLookup::QuickDnsLookup(const DnsCache *cache, QObject *parent)
    : QObject(parent), m_cache(cache), m_socket(new ReverseLookup(this)), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    m_timer->setInterval(3000);
    connect(m_timer, &QTimer::timeout, this, &QuickDnsLookup::dnsTimer2Timer);
    connect(m_socket, &ReverseLookup::lookupFinished, this,
            [this](int error, const QString &answer) { finish(error == 0 ? answer : QString()); });
    connect(m_socket, &ReverseLookup::lookupFailed, this, [this] { finish(QString()); });
}

QuickDnsLookup::~QuickDnsLookup()
{
    if (m_loop)
        m_loop->quit();
}

void QuickDnsLookup::setTimeoutInterval(int milliseconds)
{
    m_timer->setInterval(qMax(1, milliseconds));
}

int QuickDnsLookup::timeoutInterval() const
{
    return m_timer->interval();
}

bool QuickDnsLookup::setServers(const QStringList &servers)
{
    return m_socket->setServers(servers);
}

QString QuickDnsLookup::lastError() const
{
    return m_socket->lastError();
}

QuickDnsLookup::Result QuickDnsLookup::lookup(const QString &text, bool useCache, bool useTimeouts)
{
    Result r;
    if (m_loop || text.isEmpty())
        return r;
    m_timedOut = false;
    m_aborted = false;
    if (containsLetter(text)) {
        r.ip = resolve(text, true, useTimeouts);
        if (r.ip == text)
            r.ip = QStringLiteral("???");
        r.host = text;
    } else {
        const QString cached = useCache && m_cache ? m_cache->lookup(text) : QString();
        r.ip = text;
        if (!cached.isEmpty()) {
            r.host = cached;
            r.fromCache = true;
        } else {
            r.host = resolve(text, false, useTimeouts);
        }
    }
    r.timedOut = m_timedOut;
    r.aborted = m_aborted;
    return r;
}

QString QuickDnsLookup::resolve(const QString &text, bool forward, bool useTimeouts)
{
    m_done = false;
    m_answer.clear();
    m_pending = text;
    if (useTimeouts)
        m_timer->start();
    QEventLoop loop;
    m_loop = &loop;
    // A lookup that cannot start reports so from the event loop, so the wait
    // below always has something to end it.
    if (forward)
        m_socket->startForward(text);
    else
        m_socket->start(text);
    if (!m_done)
        loop.exec();
    m_loop = nullptr;
    m_timer->stop();
    m_pending.clear();
    return m_answer;
}

void QuickDnsLookup::finish(const QString &answer)
{
    if (m_done)
        return;
    m_answer = answer;
    m_done = true;
    if (m_loop)
        m_loop->quit();
}

void QuickDnsLookup::abort()
{
    if (m_done)
        return;
    m_aborted = true;
    m_socket->cancel();
    finish(QString());
}

void QuickDnsLookup::dnsTimer2Timer()
{
    if (m_pending.isEmpty() || m_done)
        return;
    DebugLog(QStringLiteral("qd DNS Timeout"));
    m_socket->cancel();
    m_timedOut = true;
    const QString answer = m_pending;
    DebugLog(QStringLiteral("dnsResultB := ") + answer);
    m_timer->stop();
    finish(answer);
}

} // namespace wv
