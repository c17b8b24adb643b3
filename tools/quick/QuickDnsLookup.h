#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QEventLoop;
class QTimer;

namespace wv {

class DnsCache;
class ReverseLookup;

// The quick DNS tool's lookup: a host name gives its address, an address its
// host name. The caller waits in a local event loop while the interface keeps
// running; with time-outs on, dnsTimer2 bounds the wait and a timed-out
// lookup answers with the text that was asked. The DNS cache is only read.
class QuickDnsLookup : public QObject
{
    Q_OBJECT
public:
    struct Result
    {
        QString host; // for eh
        QString ip;   // for ei
        bool fromCache = false;
        bool timedOut = false;
        bool aborted = false;
    };

    // cache may be null (nothing is ever cached then).
    explicit QuickDnsLookup(const DnsCache *cache, QObject *parent = nullptr);
    ~QuickDnsLookup() override;

    // dnsTimer2's interval: the main window's DNS time-out when the window is
    // made.
    void setTimeoutInterval(int milliseconds);
    int timeoutInterval() const;
    // Name servers ("address[:port]"); empty for the system's.
    bool setServers(const QStringList &servers);
    QString lastError() const;

    // Steps 2 to 4 of the lookup for the text T. A second call while one is
    // waiting returns at once with an empty result.
    Result lookup(const QString &text, bool useCache, bool useTimeouts);
    // Ends the wait with an empty answer.
    void abort();
    bool isBusy() const { return m_loop != nullptr; }
    QTimer *dnsTimer2() const { return m_timer; }

private:
    QString resolve(const QString &text, bool forward, bool useTimeouts);
    void finish(const QString &answer);
    void dnsTimer2Timer();

    const DnsCache *m_cache;
    ReverseLookup *m_socket;
    QTimer *m_timer;
    QEventLoop *m_loop = nullptr;
    bool m_done = true;
    QString m_answer;
    QString m_pending;
    bool m_timedOut = false;
    bool m_aborted = false;
};

} // namespace wv
