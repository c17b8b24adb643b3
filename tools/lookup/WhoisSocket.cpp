#include "tools/lookup/WhoisSocket.h"

#include <QStringDecoder>
#include <QTcpSocket>
#include <QTimer>

namespace wv {

WhoisSocket::WhoisSocket(QObject *parent)
    : QObject(parent), m_socket(new QTcpSocket(this)), m_idle(new QTimer(this))
{
    m_idle->setSingleShot(true);
    connect(m_idle, &QTimer::timeout, this, &WhoisSocket::onIdle);
    connect(m_socket, &QTcpSocket::stateChanged, this,
            [this](QAbstractSocket::SocketState s) { Q_EMIT stateText(stateName(s)); });
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        m_connected = true;
        if (m_idleMs > 0)
            m_idle->start(m_idleMs);
        Q_EMIT connected();
        m_socket->write(m_request);
        m_socket->flush();
    });
    connect(m_socket, &QTcpSocket::bytesWritten, this, [this] {
        if (m_active && m_socket->bytesToWrite() == 0)
            Q_EMIT requestWritten();
    });
    connect(m_socket, &QTcpSocket::readyRead, this, &WhoisSocket::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &WhoisSocket::finish);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        // Refused, unreachable or unknown host before the connection stood;
        // after it, the end of the reply is reported by disconnected().
        if (!m_connected || m_socket->state() == QAbstractSocket::UnconnectedState)
            finish();
    });
}

WhoisSocket::~WhoisSocket()
{
    m_active = false;
    m_socket->disconnect(this);
    m_socket->abort();
}

QString WhoisSocket::stateName(QAbstractSocket::SocketState state)
{
    switch (state) {
    case QAbstractSocket::UnconnectedState:
        return QStringLiteral("Disconnected");
    case QAbstractSocket::HostLookupState:
        return QStringLiteral("Looking-up a host name");
    case QAbstractSocket::ConnectingState:
        return QStringLiteral("Connecting");
    case QAbstractSocket::ConnectedState:
        return QStringLiteral("Connection");
    case QAbstractSocket::BoundState:
        return QStringLiteral("Inactive");
    case QAbstractSocket::ListeningState:
        return QStringLiteral("Listening");
    case QAbstractSocket::ClosingState:
        return QStringLiteral("Closed");
    }
    return QStringLiteral("Inactive");
}

bool WhoisSocket::open(const WhoisServer &server, const QString &line)
{
    if (m_active || server.host.isEmpty())
        return false;
    m_pending.clear();
    m_received = 0;
    m_connected = false;
    m_cut = false;
    m_timedOut = false;
    m_active = true;
    m_request = line.toUtf8() + '\n';
    if (m_idleMs > 0)
        m_idle->start(m_idleMs);
    m_socket->connectToHost(server.host, server.port);
    return true;
}

void WhoisSocket::close()
{
    if (!m_active)
        return;
    m_socket->abort();
    finish();
}

void WhoisSocket::onIdle()
{
    if (!m_active)
        return;
    m_timedOut = true;
    Q_EMIT idleTimeout();
    m_socket->abort();
    finish();
}

QString WhoisSocket::decode(const QByteArray &bytes) const
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    // Older registries answer in Latin-1.
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

void WhoisSocket::onReadyRead()
{
    if (!m_active)
        return;
    consume();
    if (m_cut) {
        m_socket->abort();
        finish();
        return;
    }
    if (m_idleMs > 0)
        m_idle->start(m_idleMs);
}

void WhoisSocket::consume()
{
    QByteArray chunk = m_socket->readAll();
    if (m_received + chunk.size() > m_maxReply) {
        chunk.truncate(qsizetype(m_maxReply - m_received));
        m_cut = true;
    }
    m_received += chunk.size();
    m_pending += chunk;
    QStringList lines;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = m_pending.indexOf('\n', start);
        if (end < 0)
            break;
        qsizetype stop = end;
        if (stop > start && m_pending.at(stop - 1) == '\r')
            --stop;
        lines.append(decode(m_pending.mid(start, stop - start)));
        start = end + 1;
    }
    m_pending.remove(0, start);
    if (!lines.isEmpty())
        Q_EMIT linesReceived(lines);
}

void WhoisSocket::finish()
{
    if (!m_active)
        return;
    m_active = false;
    m_idle->stop();
    // What the server sent before closing is still in the socket's buffer.
    if (m_connected && !m_cut && m_socket->bytesAvailable() > 0)
        consume();
    if (!m_pending.isEmpty()) {
        QByteArray last = m_pending;
        m_pending.clear();
        if (last.endsWith('\r'))
            last.chop(1);
        Q_EMIT linesReceived({decode(last)});
    }
    Q_EMIT finished();
}

} // namespace wv
