#include "tools/quick/FingerQuery.h"

#include "tools/quick/TextRules.h"

#include <QTcpSocket>
#include <QTimer>

namespace wv {

FingerQuery::FingerQuery(QObject *parent)
    : QObject(parent), m_sock(new QTcpSocket(this)), m_timer(new QTimer(this))
{
    const quint16 p = servicePort(QStringLiteral("finger"));
    m_port = p ? p : 79;
    m_timer->setSingleShot(true);
    m_sock->setReadBufferSize(0);
    connect(m_timer, &QTimer::timeout, this, &FingerQuery::onTimeout);
    connect(m_sock, &QTcpSocket::connected, this, &FingerQuery::onConnected);
    connect(m_sock, &QTcpSocket::readyRead, this, &FingerQuery::onReadyRead);
    connect(m_sock, &QTcpSocket::disconnected, this, &FingerQuery::onDisconnected);
    connect(m_sock, &QTcpSocket::errorOccurred, this, &FingerQuery::onError);
}

FingerQuery::~FingerQuery()
{
    m_sock->disconnect(this);
    m_sock->abort();
}

void FingerQuery::setStatus(const QString &text)
{
    Q_EMIT statusChanged(text);
}

bool FingerQuery::start(const QString &address, bool verbose)
{
    const FingerAddress a = splitFingerAddress(address);
    if (!a.ok || m_running)
        return false;
    m_query = fingerQuery(a.user, verbose) + '\n';
    m_sent.clear();
    m_partial.clear();
    m_chars = 0;
    m_lines = 0;
    m_connected = false;
    m_running = true;
    setStatus(QStringLiteral("Working..."));
    setStatus(QStringLiteral("Connecting to ") + a.host);
    if (a.host.trimmed().isEmpty()) {
        // Nothing to open: the same end as a connection that fails.
        QTimer::singleShot(0, this, [this] {
            if (m_running && !m_connected)
                end(Outcome::Unreachable, QStringLiteral("Could not reach server"));
        });
        return true;
    }
    m_timer->start(m_timeoutMs);
    m_sock->connectToHost(a.host.trimmed(), m_port);
    return true;
}

void FingerQuery::onConnected()
{
    m_connected = true;
    setStatus(QStringLiteral("Connected"));
    if (m_sock->write(m_query) != m_query.size()) {
        end(Outcome::Unreachable, QStringLiteral("Could not reach server"));
        return;
    }
    m_sock->flush();
    m_sent = m_query;
    setStatus(QStringLiteral("Sent query"));
    m_timer->start(m_timeoutMs);
}

void FingerQuery::emitLine(const QByteArray &bytes)
{
    QByteArray b = bytes;
    if (b.endsWith('\r'))
        b.chop(1);
    const QString line = QString::fromUtf8(b);
    setStatus(QStringLiteral("Receiving - %1 bytes").arg(m_chars));
    Q_EMIT lineReceived(line, m_chars);
    m_chars += line.size() + 1;
    ++m_lines;
}

void FingerQuery::onReadyRead()
{
    if (!m_running)
        return;
    m_timer->start(m_timeoutMs);
    // Bounded per call so that a server streaming without pause cannot keep
    // the event loop inside this handler.
    for (int round = 0; round < 64 && m_sock->bytesAvailable() > 0; ++round) {
        m_partial += m_sock->read(ReadBufferSize);
        qsizetype nl;
        while ((nl = m_partial.indexOf('\n')) >= 0) {
            emitLine(m_partial.left(nl));
            m_partial.remove(0, nl + 1);
        }
        while (m_partial.size() >= ReadBufferSize) {
            emitLine(m_partial.left(ReadBufferSize));
            m_partial.remove(0, ReadBufferSize);
        }
        if (!m_running)
            return;
    }
    if (m_sock->bytesAvailable() > 0)
        QTimer::singleShot(0, this, &FingerQuery::onReadyRead);
}

void FingerQuery::onDisconnected()
{
    if (!m_running)
        return;
    if (m_sock->bytesAvailable() > 0)
        m_partial += m_sock->readAll();
    qsizetype nl;
    while ((nl = m_partial.indexOf('\n')) >= 0) {
        emitLine(m_partial.left(nl));
        m_partial.remove(0, nl + 1);
    }
    // The last line of an answer that does not end in a line break is kept.
    if (!m_partial.isEmpty())
        emitLine(m_partial);
    m_partial.clear();
    end(m_connected ? Outcome::Done : Outcome::Unreachable,
        m_connected ? QStringLiteral("Done") : QStringLiteral("Could not reach server"));
}

void FingerQuery::onError()
{
    if (!m_running)
        return;
    // The server closing its end is the normal end of an answer; the
    // disconnected signal that follows finishes the query.
    if (m_sock->error() == QAbstractSocket::RemoteHostClosedError)
        return;
    if (!m_connected) {
        end(Outcome::Unreachable, QStringLiteral("Could not reach server"));
        return;
    }
    end(Outcome::Failed, m_sock->errorString());
}

void FingerQuery::onTimeout()
{
    if (!m_running)
        return;
    end(Outcome::TimedOut, QStringLiteral("Connection timed out!"));
}

void FingerQuery::abort()
{
    if (!m_running)
        return;
    end(Outcome::Cancelled, QStringLiteral("Query Cancelled"));
}

void FingerQuery::end(Outcome outcome, const QString &status)
{
    m_running = false;
    m_timer->stop();
    m_sock->disconnect(this);
    m_sock->abort();
    // A fresh connection of the signals for the next query.
    connect(m_sock, &QTcpSocket::connected, this, &FingerQuery::onConnected);
    connect(m_sock, &QTcpSocket::readyRead, this, &FingerQuery::onReadyRead);
    connect(m_sock, &QTcpSocket::disconnected, this, &FingerQuery::onDisconnected);
    connect(m_sock, &QTcpSocket::errorOccurred, this, &FingerQuery::onError);
    setStatus(status);
    Q_EMIT finished(outcome);
}

} // namespace wv
