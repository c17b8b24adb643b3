#include "tools/lookup/WhoisLookup.h"

#include "tools/lookup/WhoisSocket.h"

#include <QTimer>

namespace wv {

WhoisLookup::WhoisLookup(QObject *parent) : QObject(parent), m_socket(new WhoisSocket(this))
{
    connect(m_socket, &WhoisSocket::connected, this,
            [this] { Q_EMIT status(QStringLiteral("Connected.")); });
    connect(m_socket, &WhoisSocket::requestWritten, this,
            [this] { Q_EMIT status(QStringLiteral("Sending request...")); });
    connect(m_socket, &WhoisSocket::idleTimeout, this,
            [this] { Q_EMIT status(QStringLiteral("Connection timed out")); });
    connect(m_socket, &WhoisSocket::linesReceived, this, &WhoisLookup::onLines);
    connect(m_socket, &WhoisSocket::finished, this, &WhoisLookup::onSocketFinished);
}

void WhoisLookup::setIdleTimeout(int milliseconds)
{
    m_socket->setIdleTimeout(milliseconds);
}

void WhoisLookup::setMaxReply(qint64 bytes)
{
    m_socket->setMaxReply(bytes);
}

void WhoisLookup::start(const QString &query, const QString &serverText)
{
    if (m_running)
        return;
    m_running = true;
    m_reached = m_cancelled = m_cut = m_timedOut = false;
    m_replies.clear();
    m_lines.clear();
    m_chars = 0;
    m_query = QueryLine(query);
    const auto server = ParseWhoisServer(serverText);
    if (!server) {
        // Reported from the event loop like every other end of a query.
        QTimer::singleShot(0, this, &WhoisLookup::end);
        return;
    }
    connectTo(*server);
}

void WhoisLookup::connectTo(const WhoisServer &server)
{
    m_replies.append({server, {}});
    Q_EMIT status(QStringLiteral("Connecting..."));
    // The request line ends in LF and the socket adds its own line end: two LFs.
    m_socket->open(server, m_query + QLatin1Char('\n'));
}

void WhoisLookup::cancel()
{
    if (!m_running)
        return;
    m_cancelled = true;
    if (m_socket->isActive())
        m_socket->close();
}

void WhoisLookup::addLines(const QStringList &lines)
{
    for (const QString &l : lines)
        m_chars += l.size() + (m_lines.isEmpty() ? 0 : 1);
    m_lines += lines;
    Q_EMIT linesAdded(lines);
}

void WhoisLookup::onLines(const QStringList &lines)
{
    // The characters shown before the batch's last line.
    qsizetype count = m_chars;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        count += lines.at(i).size() + (m_lines.isEmpty() && i == 0 ? 0 : 1);
    Q_EMIT status(QStringLiteral("Receiving data...%1").arg(count));
    m_replies.last().lines += lines;
    addLines(lines);
}

void WhoisLookup::onSocketFinished()
{
    const bool first = m_replies.size() == 1;
    if (first)
        m_reached = m_socket->wasConnected();
    m_cut = m_cut || m_socket->wasCut();
    m_timedOut = m_timedOut || m_socket->timedOut();
    if (!m_socket->wasConnected() && !first && !m_cancelled) {
        addLines({QStringLiteral("Could not reach %1.").arg(m_replies.last().server.text())});
    }
    if (first && m_reached && m_follow && !m_cancelled && !m_cut && !m_timedOut) {
        const auto referral = FindReferral(m_replies.first().lines.join(QLatin1Char('\n')));
        if (referral &&
            !(referral->host.compare(m_replies.first().server.host, Qt::CaseInsensitive) == 0 &&
              referral->port == m_replies.first().server.port)) {
            addLines({QString(), QStringLiteral("Found a referral to %1.").arg(referral->text()),
                      QString()});
            connectTo(*referral);
            return;
        }
    }
    end();
}

void WhoisLookup::end()
{
    m_running = false;
    Q_EMIT finished();
}

QString WhoisLookup::finalStatus() const
{
    if (m_cancelled)
        return QStringLiteral("Connection aborted.");
    if (!m_reached)
        return QStringLiteral("Could not reach server.");
    if (m_cut)
        return QStringLiteral("Done: reply cut at %1 MB")
            .arg(double(m_socket->maxReply()) / (1024.0 * 1024.0), 0, 'g', 3);
    if (m_timedOut)
        return QStringLiteral("Connection timed out");
    return QStringLiteral("Done");
}

} // namespace wv
