#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QTcpSocket;
class QTimer;

namespace wv {

// One finger query (RFC 1288) over a line-oriented TCP client: the query is
// written as one line ended by a bare LF, the answer comes back one line per
// event, and the server closing the connection ends it. Status texts are the
// quick finger window's.
class FingerQuery : public QObject
{
    Q_OBJECT
public:
    enum class Outcome
    {
        Done,
        Unreachable,
        TimedOut,
        Cancelled,
        Failed
    };
    Q_ENUM(Outcome)

    // The socket layer's read buffer: a longer line is delivered in pieces.
    static constexpr int ReadBufferSize = 1024;
    // Seconds the socket waits for the connection or for more data.
    static constexpr int DefaultTimeoutSeconds = 15;

    explicit FingerQuery(QObject *parent = nullptr);
    ~FingerQuery() override;

    // The remote port: the service "finger" of the services database (79).
    void setPort(quint16 port) { m_port = port; }
    quint16 port() const { return m_port; }
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }

    // Starts the query for "user@host"; false (and nothing happens) when the
    // text holds no "@", or while a query runs.
    bool start(const QString &address, bool verbose);
    // Closes the connection: "Query Cancelled".
    void abort();
    bool isRunning() const { return m_running; }
    // The bytes written for the query, line end included.
    QByteArray sentBytes() const { return m_sent; }

Q_SIGNALS:
    void statusChanged(const QString &text);
    // charsBefore: the characters of the answer shown before this line (each
    // earlier line plus its line break).
    void lineReceived(const QString &line, qsizetype charsBefore);
    void finished(wv::FingerQuery::Outcome outcome);

private:
    void onConnected();
    void onReadyRead();
    void onDisconnected();
    void onError();
    void onTimeout();
    void emitLine(const QByteArray &bytes);
    void end(Outcome outcome, const QString &status);
    void setStatus(const QString &text);

    QTcpSocket *m_sock;
    QTimer *m_timer;
    quint16 m_port;
    int m_timeoutMs = DefaultTimeoutSeconds * 1000;
    bool m_running = false;
    bool m_connected = false;
    QByteArray m_query;
    QByteArray m_sent;
    QByteArray m_partial;
    qsizetype m_chars = 0;
    int m_lines = 0;
};

} // namespace wv
