#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

class QSocketNotifier;
class QTimer;
struct ares_channeldata;
struct hostent;

namespace wv {

// One asynchronous DNS lookup at a time (reverse, or forward for the quick
// tools) on a c-ares channel whose sockets are watched by the event loop of
// the thread that owns the object, so completion is always delivered there.
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
    // Drops the outstanding lookup; no signal is emitted for it.
    void cancel();
    bool isBusy() const { return m_current != 0; }
    QString lastError() const { return m_lastError; }

Q_SIGNALS:
    // error is 0 on success; name is then the answer's official host name.
    void lookupFinished(int error, const QString &name);
    // The lookup could not be started.
    void lookupFailed(const QString &message);

private:
    struct Request;
    static void onSocketState(void *data, int fd, int readable, int writable);
    static void onHostent(void *arg, int status, int timeouts, ::hostent *host);
    static void onForward(void *arg, int status, int timeouts, ::hostent *host);
    bool refuse(quint64 id, const QString &message);
    bool ensureChannel();
    void destroyChannel();
    void processFd(int readFd, int writeFd);
    void rearmTimer();
    void deliver(quint64 id, int error, const QString &name);

    ares_channeldata *m_channel = nullptr;
    QStringList m_servers;
    QString m_lastError;
    quint64 m_nextId = 1;
    quint64 m_current = 0;
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
