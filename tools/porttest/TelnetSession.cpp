#include "tools/porttest/TelnetSession.h"

#include "tools/quick/TextRules.h"

#include <QTcpSocket>
#include <QTimer>

#include <libtelnet.h>

namespace wv {

namespace {

// What the client agrees to: it will send its terminal type and window size,
// and lets the server echo and suppress go-ahead. Everything else is refused
// by libtelnet (WONT / DONT).
const telnet_telopt_t kOptions[] = {
    {TELNET_TELOPT_ECHO, TELNET_WONT, TELNET_DO},    {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
    {TELNET_TELOPT_TTYPE, TELNET_WILL, TELNET_DONT}, {TELNET_TELOPT_NAWS, TELNET_WILL, TELNET_DONT},
    {TELNET_TELOPT_BINARY, TELNET_WILL, TELNET_DO},  {-1, 0, 0},
};

} // namespace

struct TelnetSession::Handler
{
    static void event(telnet_t *, telnet_event_t *event, void *user)
    {
        static_cast<TelnetSession *>(user)->onEvent(event);
    }
};

TelnetSession::TelnetSession(QObject *parent) : QObject(parent), m_sock(new QTcpSocket(this))
{
    connect(m_sock, &QTcpSocket::connected, this, [this] {
        if (m_state != State::Connecting)
            return;
        m_state = State::Connected;
        Q_EMIT sessionConnected();
    });
    connect(m_sock, &QTcpSocket::readyRead, this, &TelnetSession::onReadyRead);
    connect(m_sock, &QTcpSocket::errorOccurred, this, &TelnetSession::onSocketError);
    connect(m_sock, &QTcpSocket::disconnected, this, &TelnetSession::onDisconnected);
    m_telnet = telnet_init(kOptions, &Handler::event, 0, this);
}

TelnetSession::~TelnetSession()
{
    m_state = State::Idle;
    m_sock->disconnect(this);
    m_sock->abort();
    if (m_telnet)
        telnet_free(m_telnet);
}

void TelnetSession::setWindowSize(int columns, int rows)
{
    m_columns = qBound(1, columns, 65535);
    m_rows = qBound(1, rows, 65535);
}

void TelnetSession::connectToHost()
{
    disconnectFromHost();
    m_negotiation.clear();
    m_error.clear();
    if (m_telnet)
        telnet_free(m_telnet);
    m_telnet = telnet_init(kOptions, &Handler::event, 0, this);
    m_state = State::Connecting;
    const quint64 attempt = ++m_attempt;
    const QString portText = m_port.trimmed().isEmpty() ? DefaultService : m_port.trimmed();
    const quint16 port = servicePort(portText);
    if (port == 0 || m_host.trimmed().isEmpty()) {
        const QString error = port == 0
                                  ? QStringLiteral("Unknown port or service: %1").arg(portText)
                                  : QStringLiteral("No host to connect to");
        // Reported from the event loop like every other outcome of a connect.
        QTimer::singleShot(0, this, [this, error, attempt] {
            if (attempt == m_attempt)
                fail(error);
        });
        return;
    }
    m_sock->connectToHost(m_host.trimmed(), port);
}

void TelnetSession::disconnectFromHost()
{
    if (m_state == State::Idle)
        return;
    m_state = State::Idle;
    ++m_attempt;
    m_sock->abort();
    Q_EMIT sessionClosed();
}

void TelnetSession::send(const QByteArray &bytes)
{
    if (m_state != State::Connected || !m_telnet || bytes.isEmpty())
        return;
    telnet_send(m_telnet, bytes.constData(), size_t(bytes.size()));
}

void TelnetSession::onReadyRead()
{
    receive(m_sock->readAll());
}

void TelnetSession::receive(const QByteArray &bytes)
{
    if (!m_telnet || bytes.isEmpty())
        return;
    m_received.clear();
    telnet_recv(m_telnet, bytes.constData(), size_t(bytes.size()));
    if (!m_received.isEmpty()) {
        const QByteArray data = m_received;
        m_received.clear();
        Q_EMIT dataAvailable(data);
    }
}

void TelnetSession::onEvent(telnet_event_t *ev)
{
    switch (ev->type) {
    case TELNET_EV_DATA:
        m_received.append(ev->data.buffer, qsizetype(ev->data.size));
        break;
    case TELNET_EV_SEND:
        if (m_sock->state() == QAbstractSocket::ConnectedState)
            m_sock->write(ev->data.buffer, qint64(ev->data.size));
        break;
    case TELNET_EV_WILL:
        m_negotiation << QStringLiteral("WILL %1").arg(ev->neg.telopt);
        break;
    case TELNET_EV_WONT:
        m_negotiation << QStringLiteral("WONT %1").arg(ev->neg.telopt);
        break;
    case TELNET_EV_DO:
        m_negotiation << QStringLiteral("DO %1").arg(ev->neg.telopt);
        if (ev->neg.telopt == TELNET_TELOPT_NAWS)
            sendWindowSize();
        break;
    case TELNET_EV_DONT:
        m_negotiation << QStringLiteral("DONT %1").arg(ev->neg.telopt);
        break;
    case TELNET_EV_TTYPE:
        if (ev->ttype.cmd == TELNET_TTYPE_SEND) {
            m_negotiation << QStringLiteral("SB %1 SEND").arg(TELNET_TELOPT_TTYPE);
            telnet_ttype_is(m_telnet, TerminalType.constData());
        }
        break;
    case TELNET_EV_WARNING:
        break;
    case TELNET_EV_ERROR:
        // A protocol error from the remote side: say so and end the session.
        QTimer::singleShot(0, this, [this, msg = QString::fromUtf8(ev->error.msg)] {
            fail(QStringLiteral("Telnet protocol error: ") + msg);
        });
        break;
    default:
        break;
    }
}

void TelnetSession::sendWindowSize()
{
    const unsigned char size[4] = {uchar(m_columns >> 8), uchar(m_columns & 0xff),
                                   uchar(m_rows >> 8), uchar(m_rows & 0xff)};
    telnet_begin_sb(m_telnet, TELNET_TELOPT_NAWS);
    telnet_send(m_telnet, reinterpret_cast<const char *>(size), sizeof size);
    telnet_finish_sb(m_telnet);
}

void TelnetSession::onSocketError()
{
    if (m_state == State::Idle || m_sock->error() == QAbstractSocket::RemoteHostClosedError)
        return; // for a remote close, disconnected follows
    fail(m_sock->errorString());
}

void TelnetSession::onDisconnected()
{
    if (m_state == State::Idle)
        return;
    if (m_sock->bytesAvailable() > 0)
        onReadyRead();
    m_state = State::Idle;
    Q_EMIT sessionClosed();
}

void TelnetSession::fail(const QString &error)
{
    if (m_state == State::Idle)
        return;
    m_state = State::Idle;
    ++m_attempt;
    m_error = error;
    m_sock->abort();
    Q_EMIT terminalMessage(error);
    Q_EMIT sessionClosed();
}

} // namespace wv
