#pragma once

#include <QList>
#include <QString>

#include <stdexcept>

namespace wv {

// TCP connection states as MIB-II numbers them (tcpConnState), with the names
// shown in the table, the key lines and the summary. Codes outside 1..12 read
// "UNKNOWN".
QString tcpStateName(int code);
constexpr int TcpStateListen = 2;

// One row of a connection snapshot: a TCP connection or a UDP listener.
// Addresses are text: dotted IPv4 (family 4) or the usual IPv6 form (family 6,
// "::1", "2001:db8::5"). The owner and traffic fields are filled only where the
// source knows them.
struct SnapshotRow
{
    QString protocol;     // "TCP" or "UDP"
    QString localAddress; // dotted IPv4 or IPv6 text
    int localPort = 0;
    QString remoteAddress; // dotted IPv4 or IPv6 text; "0.0.0.0" / "::" for UDP rows
    int remotePort = 0;    // 0 for listening rows
    int state = TcpStateListen;
    QString stateName;
    int family = 4; // 4 or 6

    // The owning process: 0 and empty when unknown (another user's socket, or
    // a source that does not tell).
    qint64 pid = 0;
    QString program;
    // Bytes acknowledged by the peer and bytes received, from the kernel's
    // TCP information; -1 when unknown (UDP rows, sources without it).
    qint64 bytesSent = -1;
    qint64 bytesReceived = -1;

    static SnapshotRow tcp(const QString &localAddress, int localPort, const QString &remoteAddress,
                           int remotePort, int state);
    static SnapshotRow udp(const QString &localAddress, int localPort);
    // The same rows for IPv6 sockets (family 6; a UDP row's remote address is "::").
    static SnapshotRow tcp6(const QString &localAddress, int localPort,
                            const QString &remoteAddress, int remotePort, int state);
    static SnapshotRow udp6(const QString &localAddress, int localPort);

    // The identity of a connection between two refreshes:
    // remote address*local port*remote port*state name.
    QString keyLine() const;

    bool operator==(const SnapshotRow &) const = default;
};

// A failure while taking a snapshot; the message is shown to the user.
class SnapshotError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Where the refresh cycle gets the machine's connections from. Rows come
// TCP first, then UDP, each in ascending order of local address, local port,
// remote address and remote port.
class SnapshotSource
{
public:
    virtual ~SnapshotSource() = default;
    // Takes a fresh snapshot; throws SnapshotError (or the source's own
    // exception type) when it cannot.
    virtual QList<SnapshotRow> takeSnapshot() = 0;
    // Whether rows should carry their owning process and byte counts where
    // the source can tell them (they cost time, so only while shown).
    virtual void setDetails(bool) {}
};

// Hands out prepared snapshots one per call, for tests and replays. After the
// last one it keeps returning the last. A queued failure is thrown once.
class ScriptedSource : public SnapshotSource
{
public:
    void push(QList<SnapshotRow> rows) { m_script.append({std::move(rows), {}}); }
    void pushFailure(const QString &message) { m_script.append({{}, message}); }
    QList<SnapshotRow> takeSnapshot() override;
    int calls() const { return m_calls; }

private:
    struct Step
    {
        QList<SnapshotRow> rows;
        QString failure;
    };
    QList<Step> m_script;
    QList<SnapshotRow> m_last;
    int m_calls = 0;
};

} // namespace wv
