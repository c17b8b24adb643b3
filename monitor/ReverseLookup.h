#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

class QSocketNotifier;
class QTimer;
struct ares_channeldata;
struct hostent;

namespace wv {

// Asynchronous DNS lookups on a c-ares channel whose sockets are watched by
// the event loop of the thread that owns the object, so completion is always
// delivered there. start() runs one reverse lookup at a time, startForward()
// one forward lookup (for the quick tools); add() runs any number of reverse
// lookups side by side.
class ReverseLookup : public QObject
{
    Q_OBJECT
public:
    explicit ReverseLookup(QObject *parent = nullptr);
    ~ReverseLookup() override;

    // Name servers as "address" or "address:port" ("[v6]:port" for IPv6).
    // An empty list returns to the system's configuration. Returns false
    // (and keeps the previous servers) when an entry is not a numeric address.
    bool setServers(const QStringList &servers);
    QStringList servers() const { return m_servers; }

    // Starts the reverse lookup of a numeric IPv4 or IPv6 address, replacing
    // any lookup in progress. An address that cannot be looked up is refused:
    // the result is false and lookupFailed is emitted (later, from the event
    // loop, like every other result).
    bool start(const QString &address);
    // Starts the forward lookup of a host name, replacing any lookup in
    // progress. On success lookupFinished carries the first address of the
    // answer (IPv4 first; IPv6 only for a name without an IPv4 address).
    bool startForward(const QString &hostName);
    // Starts one more lookup beside those in progress and returns its id
    // (never 0), or 0 when the address cannot be looked up; the answer comes
    // through answered().
    quint64 add(const QString &address);
    // Drops every outstanding lookup; no signal is emitted for them.
    void cancel();
    bool isBusy() const { return m_current != 0 || !m_live.isEmpty(); }
    QString lastError() const { return m_lastError; }

Q_SIGNALS:
    // error is 0 on success; name is then the answer's official host name.
    void lookupFinished(int error, const QString &name);
    // The lookup could not be started.
    void lookupFailed(const QString &message);
    // The answer to a lookup started by add(), as lookupFinished.
    void answered(quint64 id, int error, const QString &name);

private:
    struct Request;
    static void onSocketState(void *data, int fd, int readable, int writable);
    static void onHostent(void *arg, int status, int timeouts, ::hostent *host);
    static void onForward(void *arg, int status, int timeouts, ::hostent *host);
    bool refuse(quint64 id, const QString &message);
    bool ensureChannel();
    // Sends the query; 0 when the address is not numeric or the channel fails.
    quint64 launch(const QString &address);
    void destroyChannel();
    void processFd(int readFd, int writeFd);
    void rearmTimer();
    void deliver(quint64 id, int error, const QString &name);

    ares_channeldata *m_channel = nullptr;
    QStringList m_servers;
    QString m_lastError;
    quint64 m_nextId = 1;
    quint64 m_current = 0; // the lookup of start()
    QSet<quint64> m_live;  // every lookup whose answer is still wanted
    struct Watch
    {
        QSocketNotifier *read = nullptr;
        QSocketNotifier *write = nullptr;
    };
    QHash<int, Watch> m_watches;
    QTimer *m_timer = nullptr;
    bool m_inCares = false;
    bool m_inDestroy = false;
};

// The library-wide initialisation c-ares wants once per process.
bool initCares();

// True for a numeric IPv4 (dotted) or IPv6 address, the only thing a reverse
// lookup can be asked for.
bool isNumericAddress(const QString &address);

} // namespace wv
