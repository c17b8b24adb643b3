// wirevane-cli stats: the window's pages on standard output, checked against
// the kernel's /proc/net/snmp around the test's own loopback traffic.

#include "tests/support/CliRunner.h"
#include "tests/support/TestHome.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using wv::test::CliRun;

CliRun cli(const QStringList &args)
{
    return wv::test::runCli(args);
}

QHash<QString, qint64> procTcp()
{
    QFile f(QStringLiteral("/proc/net/snmp"));
    QHash<QString, qint64> values;
    if (!f.open(QIODevice::ReadOnly))
        return values;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (!lines[i].startsWith("Tcp:") || !lines[i + 1].startsWith("Tcp:"))
            continue;
        const QList<QByteArray> names = lines[i].simplified().split(' ');
        const QList<QByteArray> numbers = lines[i + 1].simplified().split(' ');
        for (qsizetype k = 1; k < names.size() && k < numbers.size(); ++k)
            values.insert(QString::fromLatin1(names[k]), numbers[k].toLongLong());
        break;
    }
    return values;
}

// Opens and closes `count` connections on 127.0.0.1.
void connections(int count)
{
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(listener, count), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr *>(&addr), &len), 0);
    for (int i = 0; i < count; ++i) {
        const int c = socket(AF_INET, SOCK_STREAM, 0);
        ASSERT_EQ(::connect(c, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
        const int a = accept(listener, nullptr, nullptr);
        ASSERT_GE(a, 0);
        close(a);
        close(c);
    }
    close(listener);
}

class CliStats : public wv::test::HomeTest
{
};

} // namespace

TEST_F(CliStats, TcpPageMatchesProcNetSnmpAroundTheTestsTraffic)
{
    const CliRun first = cli({QStringLiteral("stats"), QStringLiteral("--page"),
                              QStringLiteral("tcp"), QStringLiteral("--json")});
    ASSERT_EQ(first.code, 0) << first.err.toStdString();
    connections(15);
    const auto before = procTcp();
    const CliRun r = cli({QStringLiteral("stats"), QStringLiteral("--page"), QStringLiteral("tcp"),
                          QStringLiteral("--json")});
    const auto after = procTcp();
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QJsonObject page = QJsonDocument::fromJson(r.outBytes()).object();
    EXPECT_EQ(page.value(QStringLiteral("caption")).toString(), QStringLiteral("TCP Stats"));
    const QJsonArray counters = page.value(QStringLiteral("counters")).toArray();
    ASSERT_EQ(counters.size(), 14);
    QHash<QString, qint64> earlier;
    for (const QJsonValue &v : QJsonDocument::fromJson(first.outBytes())
                                   .object()
                                   .value(QStringLiteral("counters"))
                                   .toArray())
        earlier.insert(v[QStringLiteral("name")].toString(),
                       v[QStringLiteral("value")].toInteger());
    for (qsizetype i = 0; i < counters.size(); ++i) {
        const QJsonObject c = counters[i].toObject();
        EXPECT_EQ(c[QStringLiteral("index")].toInt(), i + 1);
        const QString name = c[QStringLiteral("name")].toString();
        QString field = name.mid(3);
        if (field == QLatin1String("AttemptsFails"))
            field = QStringLiteral("AttemptFails");
        ASSERT_TRUE(before.contains(field)) << name.toStdString();
        if (field == QLatin1String("CurrEstab"))
            continue; // goes down as well as up
        // The shown 32 bits lie between the kernel's figures before and after.
        const quint32 shown = quint32(c[QStringLiteral("value")].toInteger());
        EXPECT_LE(quint32(shown - quint32(before[field])),
                  quint32(quint32(after[field]) - quint32(before[field])))
            << name.toStdString() << " " << shown << " not in " << before[field] << ".."
            << after[field];
    }
    EXPECT_EQ(counters[3][QStringLiteral("value")].toInt(), -1); // tcpMaxConn
    // The test's own connections are in the figures.
    EXPECT_GE(counters[4][QStringLiteral("value")].toInteger() -
                  earlier.value(QStringLiteral("tcpActiveOpens")),
              15);
    EXPECT_GE(counters[5][QStringLiteral("value")].toInteger() -
                  earlier.value(QStringLiteral("tcpPassiveOpens")),
              15);
}

TEST_F(CliStats, AllPagesInOrderAndClearErrors)
{
    const CliRun all = cli({QStringLiteral("stats"), QStringLiteral("--json")});
    ASSERT_EQ(all.code, 0) << all.err.toStdString();
    const QJsonArray pages = QJsonDocument::fromJson(all.outBytes()).array();
    ASSERT_EQ(pages.size(), 5);
    const char *names[] = {"connection", "icmp", "ip", "tcp", "udp"};
    int counters = 0;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(pages[i][QStringLiteral("page")].toString(), QLatin1String(names[i]));
        counters += int(pages[i][QStringLiteral("counters")].toArray().size());
    }
    EXPECT_EQ(counters, 62);
    EXPECT_TRUE(pages[0][QStringLiteral("connections")].toArray().isEmpty());

    const CliRun text =
        cli({QStringLiteral("stats"), QStringLiteral("--page"), QStringLiteral("udp")});
    ASSERT_EQ(text.code, 0);
    EXPECT_TRUE(text.out.startsWith("UDP Stats\n"));
    EXPECT_TRUE(text.out.contains("udpOutDatagrams"));

    const CliRun lo =
        cli({QStringLiteral("stats"), QStringLiteral("--page"), QStringLiteral("connection"),
             QStringLiteral("--adapter"), QStringLiteral("lo")});
    ASSERT_EQ(lo.code, 0);
    bool named = false;
    for (const QString &line : lo.out.split('\n'))
        named = named || line.simplified() == "Network device: lo";
    EXPECT_TRUE(named) << lo.out.toStdString();

    const CliRun bad =
        cli({QStringLiteral("stats"), QStringLiteral("--page"), QStringLiteral("arp")});
    EXPECT_EQ(bad.code, 2);
    EXPECT_TRUE(bad.err.contains("unknown page 'arp'"));
    const CliRun badAdapter =
        cli({QStringLiteral("stats"), QStringLiteral("--adapter"), QStringLiteral("../x")});
    EXPECT_EQ(badAdapter.code, 2);
}
