// The port tester's telnet session against real services on loopback ports:
// inetutils telnetd (option negotiation, then a login prompt), an SSH server
// (a banner, nothing negotiated) and a port nobody listens on.
#include "tests/tools/Peers.h"
#include "tools/porttest/TelnetSession.h"
#include "tools/porttest/TerminalScreen.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

using namespace wv;

namespace {

// A session wired to a screen, as the terminal widget wires them.
struct Terminal
{
    TelnetSession session;
    TerminalScreen screen;
    QStringList events;
    Terminal()
    {
        QObject::connect(&screen, &TerminalScreen::output, &session, &TelnetSession::send);
        QObject::connect(&session, &TelnetSession::dataAvailable, &screen, &TerminalScreen::feed);
        QObject::connect(&session, &TelnetSession::terminalMessage, &screen,
                         &TerminalScreen::showMessage);
        QObject::connect(&session, &TelnetSession::sessionConnected,
                         [this] { events << QStringLiteral("connected"); });
        QObject::connect(&session, &TelnetSession::sessionClosed,
                         [this] { events << QStringLiteral("closed"); });
    }
    // Runs the event loop until pred holds or the bound passes.
    bool waitFor(const std::function<bool()> &pred, int ms = 10000)
    {
        QDeadlineTimer deadline(ms);
        while (!pred() && !deadline.hasExpired()) {
            QEventLoop loop;
            QTimer::singleShot(20, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return pred();
    }
};

} // namespace

TEST(TelnetSession, TelnetdNegotiatesAndShowsALoginPrompt)
{
    if (!wv::test::haveProgram(QStringLiteral("/usr/sbin/telnetd")))
        GTEST_SKIP() << "telnetd is not installed (package inetutils-telnetd)";
    wv::test::SocatService telnetd(QStringLiteral("/usr/sbin/telnetd -h"));
    ASSERT_TRUE(telnetd.isRunning()) << telnetd.error().toStdString();
    Terminal t;
    t.session.setHost(QStringLiteral("127.0.0.1"));
    t.session.setPort(QString::number(telnetd.port()));
    t.session.connectToHost();
    ASSERT_TRUE(t.waitFor([&] { return t.screen.text().contains(QStringLiteral("login:")); }))
        << t.screen.text().toStdString() << " / "
        << t.session.negotiation().join(u',').toStdString();
    EXPECT_EQ(t.events.value(0), QStringLiteral("connected"));
    EXPECT_TRUE(t.session.isConnected());
    const QStringList neg = t.session.negotiation();
    // The server asked for the terminal type and got "VT100".
    EXPECT_TRUE(neg.contains(QStringLiteral("DO 24"))) << neg.join(u',').toStdString();
    EXPECT_TRUE(neg.contains(QStringLiteral("SB 24 SEND"))) << neg.join(u',').toStdString();
    // No telnet command bytes reach the screen.
    EXPECT_FALSE(t.screen.text().contains(QChar(0xff)));

    // Typed keys reach the login program, which echoes them.
    t.screen.typeText(QStringLiteral("wvnosuchuser"));
    EXPECT_TRUE(
        t.waitFor([&] { return t.screen.text().contains(QStringLiteral("wvnosuchuser")); }));

    t.session.disconnectFromHost();
    EXPECT_EQ(t.events.last(), QStringLiteral("closed"));
    EXPECT_FALSE(t.session.isOpen());
    // Disconnecting again is harmless and reports nothing new.
    t.session.disconnectFromHost();
    EXPECT_EQ(t.events.size(), 2);
}

TEST(TelnetSession, SshBannerPassesUntouched)
{
    wv::test::SshServer ssh;
    if (!ssh.error().isEmpty() && !ssh.isRunning())
        GTEST_SKIP() << ssh.error().toStdString();
    Terminal t;
    t.session.setPort(QString::number(ssh.port()));
    t.session.connectToHost();
    ASSERT_TRUE(t.waitFor([&] { return t.screen.text().startsWith(QStringLiteral("SSH-2.0-")); }))
        << t.screen.text().toStdString();
    EXPECT_TRUE(t.session.negotiation().isEmpty());
    t.session.disconnectFromHost();
}

TEST(TelnetSession, ClosedPortUnknownServiceAndRemoteClose)
{
    Terminal t;
    t.session.setPort(QString::number(wv::test::freeTcpPort()));
    t.session.connectToHost();
    ASSERT_TRUE(t.waitFor([&] { return !t.events.isEmpty(); }));
    EXPECT_EQ(t.events, QStringList{QStringLiteral("closed")});
    EXPECT_FALSE(t.session.errorText().isEmpty());
    // The terminal shows the error itself.
    EXPECT_TRUE(t.screen.text().contains(t.session.errorText()));

    t.events.clear();
    t.session.setPort(QStringLiteral("no-such-service-wv"));
    t.session.connectToHost();
    ASSERT_TRUE(t.waitFor([&] { return !t.events.isEmpty(); }));
    EXPECT_EQ(t.events, QStringList{QStringLiteral("closed")});
    EXPECT_TRUE(t.screen.text().contains(QStringLiteral("no-such-service-wv")));

    // A service that says something and hangs up: all of it is shown, then
    // the session is closed.
    wv::test::SocatService hello(QStringLiteral("echo 220 hello"));
    ASSERT_TRUE(hello.isRunning());
    t.events.clear();
    t.session.setPort(QString::number(hello.port()));
    t.session.connectToHost();
    ASSERT_TRUE(t.waitFor([&] { return t.events.contains(QStringLiteral("closed")); }));
    EXPECT_EQ(t.events, (QStringList{QStringLiteral("connected"), QStringLiteral("closed")}));
    EXPECT_TRUE(t.screen.text().contains(QStringLiteral("220 hello")));
}
