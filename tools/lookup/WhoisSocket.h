#pragma once

#include "tools/lookup/WhoisText.h"

#include <QAbstractSocket>
#include <QObject>
#include <QStringList>

class QTcpSocket;
class QTimer;

namespace wv {

// The line-oriented WHOIS client socket: connects, writes one request line
// (its own LF appended), delivers the reply split at LF, and reports when
// the connection ends. Every reply is bounded: past maxReply bytes the
// connection is cut, and a connection that stays silent for the idle time
// (when one is set) is ended as timed out.
class WhoisSocket : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 DefaultMaxReply = 4 * 1024 * 1024;

    explicit WhoisSocket(QObject *parent = nullptr);
    ~WhoisSocket() override;

    void setMaxReply(qint64 bytes) { m_maxReply = bytes; }
    qint64 maxReply() const { return m_maxReply; }
    // 0: wait for ever.
    void setIdleTimeout(int milliseconds) { m_idleMs = milliseconds; }

    // Connects and, once connected, writes line followed by LF. False when
    // the server text cannot be used (nothing is started then).
    bool open(const WhoisServer &server, const QString &line);
    // Ends the connection from this side; finished() follows.
    void close();
    bool isActive() const { return m_active; }

    bool wasConnected() const { return m_connected; }
    bool wasCut() const { return m_cut; }
    bool timedOut() const { return m_timedOut; }
    qint64 received() const { return m_received; }

    // The socket layer's name of a socket state.
    static QString stateName(QAbstractSocket::SocketState state);

Q_SIGNALS:
    void stateText(const QString &name);
    void connected();
    void requestWritten();
    void linesReceived(const QStringList &lines);
    void idleTimeout();
    // The connection ended: never reached (wasConnected() false), closed by
    // the server, by close(), cut or timed out.
    void finished();

private:
    void onReadyRead();
    void consume();
    void onIdle();
    void finish();
    QString decode(const QByteArray &bytes) const;

    QTcpSocket *m_socket;
    QTimer *m_idle;
    QByteArray m_pending;
    QByteArray m_request;
    qint64 m_maxReply = DefaultMaxReply;
    qint64 m_received = 0;
    int m_idleMs = 0;
    bool m_active = false;
    bool m_connected = false;
    bool m_cut = false;
    bool m_timedOut = false;
};

} // namespace wv
