// Quick finger against Debian's fingerd (through socat on a loopback port),
// a server that records the bytes it gets, one that streams without end and
// one that never answers.
#include "tests/tools/Peers.h"
#include "tools/quick/FingerQuery.h"

#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

using namespace wv;
using wv::test::SocatService;

namespace {

struct FingerRun
{
    QStringList statuses;
    QStringList lines;
    QList<qsizetype> offsets;
    FingerQuery::Outcome outcome = FingerQuery::Outcome::Failed;
    bool finished = false;
};

// Runs one query to its end (bounded); stopAfterLines > 0 aborts once that
// many lines have come.
FingerRun finger(FingerQuery &q, const QString &address, bool verbose, int stopAfterLines = 0,
                 int boundMs = 20000)
{
    FingerRun r;
    QEventLoop loop;
    auto c1 = QObject::connect(&q, &FingerQuery::statusChanged,
                               [&](const QString &s) { r.statuses << s; });
    auto c2 = QObject::connect(&q, &FingerQuery::lineReceived, [&](const QString &l, qsizetype n) {
        r.lines << l;
        r.offsets << n;
        if (stopAfterLines > 0 && r.lines.size() == stopAfterLines)
            QTimer::singleShot(0, &q, [&q] { q.abort(); });
    });
    auto c3 = QObject::connect(&q, &FingerQuery::finished, [&](FingerQuery::Outcome o) {
        r.outcome = o;
        r.finished = true;
        loop.quit();
    });
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (q.start(address, verbose)) {
        bound.start(boundMs);
        loop.exec();
    }
    QObject::disconnect(c1);
    QObject::disconnect(c2);
    QObject::disconnect(c3);
    return r;
}

// Accepts one connection, records what it is sent and answers with a fixed
// text once the query's line end has come.
class RecordingServer
{
public:
    explicit RecordingServer(QByteArray answer) : m_answer(std::move(answer))
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            QTcpSocket *s = m_server.nextPendingConnection();
            QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
                received += s->readAll();
                if (received.contains('\n')) {
                    s->write(m_answer);
                    s->disconnectFromHost();
                }
            });
        });
    }
    quint16 port() const { return m_server.serverPort(); }
    QByteArray received;

private:
    QTcpServer m_server;
    QByteArray m_answer;
};

} // namespace

TEST(Finger, RealFingerdAnswersForUsersThatExistAndThatDoNot)
{
    SocatService fingerd(QStringLiteral("/usr/sbin/in.fingerd"));
    if (!wv::test::haveProgram(QStringLiteral("/usr/sbin/in.fingerd")))
        GTEST_SKIP() << "fingerd is not installed (packages fingerd, finger)";
    ASSERT_TRUE(fingerd.isRunning()) << fingerd.error().toStdString();
    FingerQuery q;
    q.setPort(fingerd.port());

    FingerRun r = finger(q, QStringLiteral("nobody@127.0.0.1"), false);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.outcome, FingerQuery::Outcome::Done);
    EXPECT_EQ(q.sentBytes(), QByteArray("nobody\n"));
    EXPECT_TRUE(r.lines.join(u'\n').contains(QStringLiteral("Login: nobody")))
        << r.lines.join(u'\n').toStdString();
    ASSERT_GE(r.statuses.size(), 6);
    EXPECT_EQ(r.statuses.at(0), QStringLiteral("Working..."));
    EXPECT_EQ(r.statuses.at(1), QStringLiteral("Connecting to 127.0.0.1"));
    EXPECT_EQ(r.statuses.at(2), QStringLiteral("Connected"));
    EXPECT_EQ(r.statuses.at(3), QStringLiteral("Sent query"));
    EXPECT_EQ(r.statuses.at(4), QStringLiteral("Receiving - 0 bytes"));
    EXPECT_EQ(r.statuses.last(), QStringLiteral("Done"));
    // Each line's count is the characters shown before it.
    ASSERT_GE(r.offsets.size(), 2);
    EXPECT_EQ(r.offsets.at(1), r.lines.at(0).size() + 1);
    for (const QString &l : r.lines)
        EXPECT_FALSE(l.endsWith(QLatin1Char('\r')));

    // fingerd answers an unknown user with nothing (finger's complaint goes
    // to its standard error, not to the connection): an empty answer, Done.
    r = finger(q, QStringLiteral("nosuchuserwv@127.0.0.1"), false);
    EXPECT_EQ(r.outcome, FingerQuery::Outcome::Done);
    EXPECT_FALSE(r.lines.join(u'\n').contains(QStringLiteral("Login:")));
    EXPECT_EQ(r.statuses.last(), QStringLiteral("Done"));

    r = finger(q, QStringLiteral("/w root@127.0.0.1"), false);
    EXPECT_TRUE(r.lines.join(u'\n').contains(QStringLiteral("Login: root")));
    r = finger(q, QStringLiteral("root@127.0.0.1"), true);
    EXPECT_EQ(q.sentBytes(), QByteArray("/w root\n"));
    EXPECT_TRUE(r.lines.join(u'\n').contains(QStringLiteral("Login: root")));
}

TEST(Finger, BytesOnTheWire)
{
    struct Case
    {
        QString address;
        bool verbose;
        QByteArray wire;
    };
    const Case cases[] = {
        {QStringLiteral("guest@127.0.0.1"), false, "guest\n"},
        {QStringLiteral("guest@127.0.0.1"), true, "/w guest\n"},
        {QStringLiteral("@127.0.0.1"), false, "\n"},
    };
    for (const Case &c : cases) {
        RecordingServer server("Line one\r\nlast line without end");
        FingerQuery q;
        q.setPort(server.port());
        const FingerRun r = finger(q, c.address, c.verbose);
        EXPECT_EQ(server.received, c.wire);
        EXPECT_EQ(r.outcome, FingerQuery::Outcome::Done);
        EXPECT_EQ(r.lines, (QStringList{QStringLiteral("Line one"),
                                        QStringLiteral("last line without end")}));
    }
}

TEST(Finger, NoAtSignDoesNothing)
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    FingerQuery q;
    q.setPort(server.serverPort());
    int statuses = 0;
    QObject::connect(&q, &FingerQuery::statusChanged, [&] { ++statuses; });
    EXPECT_FALSE(q.start(QStringLiteral("guest"), false));
    QEventLoop loop;
    QTimer::singleShot(200, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(statuses, 0);
    EXPECT_FALSE(server.hasPendingConnections());
    EXPECT_FALSE(q.isRunning());
}

TEST(Finger, UnreachableSilentStreamingAndLongLines)
{
    // Nobody listens on a port just released.
    FingerQuery q;
    q.setPort(wv::test::freeTcpPort());
    FingerRun r = finger(q, QStringLiteral("guest@127.0.0.1"), false);
    EXPECT_EQ(r.outcome, FingerQuery::Outcome::Unreachable);
    EXPECT_EQ(r.statuses.last(), QStringLiteral("Could not reach server"));

    SocatService silent(QStringLiteral("sh -c 'cat >/dev/null'"));
    ASSERT_TRUE(silent.isRunning()) << silent.error().toStdString();
    q.setPort(silent.port());
    q.setTimeout(500);
    r = finger(q, QStringLiteral("guest@127.0.0.1"), false);
    EXPECT_EQ(r.outcome, FingerQuery::Outcome::TimedOut);
    EXPECT_EQ(r.statuses.last(), QStringLiteral("Connection timed out!"));
    q.setTimeout(15000);

    // A server that never stops: the answer comes line by line and Abort
    // ends it.
    SocatService stream(QStringLiteral("yes finger-stream-line"));
    ASSERT_TRUE(stream.isRunning()) << stream.error().toStdString();
    q.setPort(stream.port());
    r = finger(q, QStringLiteral("guest@127.0.0.1"), false, 5000);
    EXPECT_EQ(r.outcome, FingerQuery::Outcome::Cancelled);
    EXPECT_EQ(r.statuses.last(), QStringLiteral("Query Cancelled"));
    EXPECT_GE(r.lines.size(), 5000);
    EXPECT_EQ(r.lines.first(), QStringLiteral("finger-stream-line"));

    // A line longer than the read buffer arrives in pieces of 1024.
    RecordingServer longLine(QByteArray(3000, 'x') + "\n");
    q.setPort(longLine.port());
    r = finger(q, QStringLiteral("guest@127.0.0.1"), false);
    ASSERT_EQ(r.lines.size(), 3);
    EXPECT_EQ(r.lines.at(0).size(), 1024);
    EXPECT_EQ(r.lines.at(2).size(), 3000 - 2048);
}
