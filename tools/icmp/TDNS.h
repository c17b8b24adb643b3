#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

namespace wv {

enum class TWSMode
{
    wsmBlocking,
    wsmAsync
};

// Resolves a host name or a dotted IPv4 address to the address, its dotted
// text and the official host name: a dotted address by a reverse look-up,
// anything else forward. In asynchronous mode the look-up runs on a helper
// thread and its answer arrives through OnLookupDone on the thread that owns
// the object; in blocking mode Lookup returns with the answer.
class TDNS : public QObject
{
    Q_OBJECT
public:
    explicit TDNS(QObject *parent = nullptr);
    ~TDNS() override;

    TWSMode Mode() const { return m_mode; }
    void setMode(TWSMode mode) { m_mode = mode; }
    // Name servers ("address" or "address:port"); empty for the system's.
    // False when an entry is not a numeric address.
    bool setServers(const QStringList &servers);
    // Bound of one look-up, in milliseconds.
    void setTimeout(int milliseconds) { m_timeoutMs = qMax(50, milliseconds); }

    // Starts a look-up; in blocking mode the answer is there on return.
    // Refusals (empty text, a look-up already running) are answers too.
    void Lookup(const QString &text);
    // Drops a running asynchronous look-up; it ends with LookupCancelled.
    void Cancel();
    bool Busy() const { return m_busy; }

    // The answer of the last look-up.
    int ErrorCode() const { return m_error; } // 0 on success
    QString ErrorText() const { return m_errorText; }
    quint32 Address() const { return m_address; } // network byte order
    QString AddressText() const { return m_addressText; }
    QString HostName() const { return m_hostName; }
    // Whether the last look-up was a reverse one.
    bool WasReverse() const { return m_reverse; }

    struct Answer
    {
        int error = 0;
        quint32 address = 0;
        QString addressText;
        QString hostName;
    };

Q_SIGNALS:
    void OnLookupDone(int error);

private:
    void finish(const Answer &answer);
    void fail(int code, const QString &text);

    TWSMode m_mode = TWSMode::wsmAsync;
    QStringList m_servers;
    int m_timeoutMs = 3000;
    bool m_busy = false;
    bool m_reverse = false;
    quint64 m_generation = 0;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    int m_error = 0;
    QString m_errorText;
    quint32 m_address = 0;
    QString m_addressText;
    QString m_hostName;
};

} // namespace wv
