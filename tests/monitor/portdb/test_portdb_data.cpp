// The shipped port database: how it is generated from the registry and what
// the command-line companion shows of it.

#include "data/portdbgen/Csv.h"
#include "data/portdbgen/PortDataBuilder.h"
#include "data/portdbgen/PortNotes.h"
#include "monitor/portdb/PortDatabase.h"
#include "tests/support/TestHome.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

using namespace wv;
using namespace wv::portdbgen;
using wv::test::readFile;

namespace {

const QString kCsv = QStringLiteral(WV_SOURCE_DIR "/data/service-names-port-numbers.csv");
const QString kNotes = QStringLiteral(WV_SOURCE_DIR "/data/port-notes.txt");

QString builtDatabase()
{
    return PortDatabase::defaultPath();
}

QString binDir()
{
    const QString dir = wv::test::binDir();
    return dir.isEmpty() ? QCoreApplication::applicationDirPath() : dir;
}

struct ProcessResult
{
    int code = -1;
    QString out;
    QString err;
};

ProcessResult run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(binDir() + QLatin1Char('/') + program, args);
    ProcessResult r;
    if (!p.waitForFinished(60000))
        return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QMap<int, PortDatabaseWriter::Record> buildFrom(const QByteArray &csv, const QByteArray &notes = {},
                                                QStringList *warnings = nullptr)
{
    QList<QStringList> rows;
    QList<PortNote> parsedNotes;
    EXPECT_TRUE(parseCsv(csv, rows));
    EXPECT_TRUE(parsePortNotes(notes, parsedNotes));
    PortDataBuilder builder;
    EXPECT_TRUE(builder.build(rows, parsedNotes));
    if (warnings)
        *warnings = builder.warnings();
    return builder.records();
}

const QByteArray kHeader =
    "Service Name,Port Number,Transport Protocol,Description,Assignee,Contact,Registration "
    "Date,Modification Date,Reference,Service Code,Unauthorized Use Reported,Assignment Notes\r\n";

} // namespace

TEST(PortDbCsv, QuotedFieldsKeepCommasQuotesAndLineBreaks)
{
    QList<QStringList> rows;
    ASSERT_TRUE(parseCsv("a,\"b, c\",\"say \"\"hi\"\"\"\r\n"
                         "\"two\r\nlines\",,\"x\ny\"\n"
                         "last,row",
                         rows));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0], QStringList({"a", "b, c", "say \"hi\""}));
    EXPECT_EQ(rows[1], QStringList({"two\nlines", "", "x\ny"}));
    EXPECT_EQ(rows[2], QStringList({"last", "row"}));

    QString error;
    EXPECT_FALSE(parseCsv("a,b\nc,\"never closed\n", rows, &error));
    EXPECT_TRUE(error.contains(QLatin1String("line 2")));
}

TEST(PortDbNotes, EntriesParagraphsAndErrors)
{
    QList<PortNote> notes;
    ASSERT_TRUE(parsePortNotes("# comment\n= 22\nOne\nparagraph.\n\nTwo.\n"
                               "= 6000-6002\nX.\n= 31337 elite | Not registered\nBad.\n",
                               notes));
    ASSERT_EQ(notes.size(), 3);
    EXPECT_EQ(notes[0].paragraphs, QStringList({"One paragraph.", "Two."}));
    EXPECT_EQ(notes[1].first, 6000);
    EXPECT_EQ(notes[1].last, 6002);
    EXPECT_EQ(notes[2].name, QStringLiteral("elite"));
    EXPECT_EQ(notes[2].description, QStringLiteral("Not registered"));

    QString error;
    EXPECT_FALSE(parsePortNotes("text before any entry\n", notes, &error));
    EXPECT_FALSE(parsePortNotes("= 70000\nx\n", notes, &error));
    EXPECT_FALSE(parsePortNotes("= 9-3\nx\n", notes, &error));
}

TEST(PortDbBuilder, MainNameSkipsAliasesAndKeepsOtherServices)
{
    const auto records = buildFrom(
        kHeader +
        "www,80,tcp,Web alias,,,,,,,,\"This is a duplicate of the \"\"http\"\" service.\"\n"
        "http,80,tcp,World Wide Web HTTP,[Tim_Berners_Lee],,,,[RFC9110],,,\n"
        "http,80,udp,World Wide Web HTTP,[IESG],,,,[RFC9110][RFC9260],,,\n"
        "disc,80,udp,Discovery,,,,,,,,\n"
        "l2f,80,sctp,l2f,,,,,,,,\n"
        "z39-50,210,tcp,\"ANSI Z39.50\n      IANA assigned this well-formed service name as a "
        "replacement for \"\"z39.50\"\".\",,,,,,,,\n"
        "old,81,tcp,Old,,,,,,,,\"This entry is an alias to \"\"new\"\".\"\n"
        ",82,tcp,Unassigned,,,,,,,,\n"
        "x11,6000-6002,tcp,X Window System,[Someone_2],,1990-01,,,,Known Unauthorized Use,"
        "\"Keys:\n      a=1\n      b=2\"\n"
        "bad,70000,tcp,Out of range,,,,,,,,\n");
    EXPECT_EQ(records.keys(), QList<int>({80, 210, 6000, 6001, 6002}));
    EXPECT_EQ(records[210].text3, QStringLiteral("ANSI Z39.50"));
    EXPECT_TRUE(records[210].text4.contains(QLatin1String("Formerly named: z39.50")));
    const auto &http = records[80];
    EXPECT_EQ(http.name, QStringLiteral("http"));
    EXPECT_EQ(http.text2, QStringLiteral("tcp, udp"));
    EXPECT_EQ(http.text3, QStringLiteral("World Wide Web HTTP"));
    EXPECT_TRUE(http.text4.contains(QLatin1String("Tim Berners Lee (tcp); IESG (udp)")));
    EXPECT_TRUE(http.text4.contains(QLatin1String("References: RFC 9110, RFC 9260")));
    EXPECT_TRUE(http.text4.contains(QLatin1String("Also registered: disc (udp), Discovery")));
    EXPECT_FALSE(http.text4.contains(QLatin1String("www")));
    EXPECT_TRUE(http.text4.endsWith(QLatin1String("Also registered: l2f (sctp)")));
    const auto &x = records[6001];
    EXPECT_EQ(x.name, QStringLiteral("x11"));
    EXPECT_TRUE(x.text4.contains(QLatin1String("Port range: 6000-6002")));
    EXPECT_TRUE(x.text4.contains(QLatin1String("Assignee: Someone\n")));
    EXPECT_TRUE(x.text4.contains(QLatin1String("Registered: 1990-01")));
    EXPECT_TRUE(x.text4.contains(QLatin1String("Unauthorized use reported: Known")));
    EXPECT_TRUE(x.text4.endsWith(QLatin1String("\nNotes: Keys:\n  a=1\n  b=2")));
}

TEST(PortDbBuilder, NotesComeFirstAndCanDescribeUnregisteredPorts)
{
    QStringList warnings;
    const auto records =
        buildFrom(kHeader + "ssh,22,tcp,The Secure Shell (SSH) Protocol,,,,,[RFC4251],,,\n"
                            "shilp,2049,tcp,,,,,,,,,\nnfs,2049,udp,Network File System,,,,,,,,\n",
                  "= 22 ignored | Ignored\nOur words on SSH.\n= 31337 elite | Unregistered\nBad.\n"
                  "= 2049 nfs\nNetwork File System.\n"
                  "= 40000\nNo name, so no record.\n",
                  &warnings);
    EXPECT_EQ(records.keys(), QList<int>({22, 2049, 31337}));
    EXPECT_EQ(warnings, QStringList{QStringLiteral(
                            "port 40000: no registered service and no name in the notes")});
    // Where the registry lists several services, the notes pick the main one.
    EXPECT_EQ(records[2049].name, QStringLiteral("nfs"));
    EXPECT_EQ(records[2049].text3, QStringLiteral("Network File System"));
    EXPECT_EQ(records[2049].text2, QStringLiteral("udp"));
    EXPECT_TRUE(records[2049].text4.contains(QLatin1String("Also registered: shilp (tcp)")));
    EXPECT_EQ(records[22].name, QStringLiteral("ssh"));
    EXPECT_TRUE(records[22].text4.startsWith(QLatin1String("Our words on SSH.\n\nProtocols: tcp")));
    EXPECT_EQ(records[31337].name, QStringLiteral("elite"));
    EXPECT_EQ(records[31337].text3, QStringLiteral("Unregistered"));
}

TEST(PortDbBuilder, WrapKeepsLinesShortAndWordsWhole)
{
    const QString long_ = QStringLiteral("Notes: ") + QString(QStringLiteral("word ")).repeated(40);
    const QString wrapped = PortDataBuilder::wrap(long_, 30, 2);
    for (const QString &line : wrapped.split(QLatin1Char('\n')))
        EXPECT_LE(line.size(), 30);
    EXPECT_EQ(wrapped.simplified(), long_.simplified());
    EXPECT_TRUE(wrapped.split(QLatin1Char('\n')).at(1).startsWith(QLatin1String("  word")));
    // A word longer than the width stands alone rather than being cut.
    EXPECT_EQ(PortDataBuilder::wrap(QStringLiteral("a ") + QString(40, 'x'), 10),
              QStringLiteral("a\n") + QString(40, 'x'));
}

TEST(PortDbShipped, WellKnownPortsCarryTheirRegistryNames)
{
    struct Case
    {
        int port;
        const char *name;
        const char *description;
    };
    for (const Case &c :
         {Case{22, "ssh", "The Secure Shell (SSH) Protocol"},
          Case{80, "http", "World Wide Web HTTP"}, Case{443, "https", "http protocol over TLS/SSL"},
          Case{53, "domain", "Domain Name Server"}, Case{6063, "x11", "X Window System"}}) {
        TPortInfo info;
        LoadPort(builtDatabase(), c.port, info);
        ASSERT_TRUE(info.Found) << c.port;
        EXPECT_EQ(info.Port, c.port);
        EXPECT_EQ(info.Name, QLatin1String(c.name));
        EXPECT_EQ(info.Text3, QLatin1String(c.description));
        EXPECT_TRUE(info.Text2.startsWith(QLatin1String("tcp")));
        for (const QString &line : info.Text4.split(QLatin1Char('\n')))
            EXPECT_LE(line.size(), PortDataBuilder::kWrapWidth) << c.port;
    }
    for (qint32 port : {65536, -1}) {
        TPortInfo info;
        LoadPort(builtDatabase(), port, info);
        EXPECT_FALSE(info.Found);
    }
}

TEST(PortDbShipped, GeneratorIsReproducible)
{
    wv::test::TestHome home;
    const QString a = home.file(QStringLiteral("a.qpd"));
    const QString b = home.file(QStringLiteral("b.qpd"));
    const ProcessResult first = run(QStringLiteral("portdbgen"), {kCsv, kNotes, a});
    const ProcessResult second = run(QStringLiteral("portdbgen"), {kCsv, kNotes, b});
    ASSERT_EQ(first.code, 0) << first.err.toStdString();
    ASSERT_EQ(second.code, 0) << second.err.toStdString();
    const QByteArray bytes = readFile(a);
    EXPECT_GT(bytes.size(), 262159);
    EXPECT_EQ(bytes, readFile(b));
    EXPECT_EQ(bytes, readFile(builtDatabase()));
    EXPECT_TRUE(first.out.contains(QStringLiteral("%1 bytes").arg(bytes.size())));
    EXPECT_TRUE(first.out.contains(QLatin1String("ports with records")));

    const ProcessResult bad =
        run(QStringLiteral("portdbgen"), {kCsv, home.file(QStringLiteral("none")), a});
    EXPECT_NE(bad.code, 0);
    EXPECT_EQ(readFile(a), bytes);
}

TEST(PortDbCli, ShowsTheWindowsLinesOrNotFound)
{
    const ProcessResult ssh =
        run(QStringLiteral("wirevane-cli"), {QStringLiteral("port"), QStringLiteral("22")});
    EXPECT_EQ(ssh.code, 0) << ssh.err.toStdString();
    EXPECT_TRUE(ssh.out.startsWith(QLatin1String("[ssh]\nThe Secure Shell (SSH) Protocol\n\n")));

    for (const char *port : {"65536", "-1", "99999999999"}) {
        const ProcessResult r =
            run(QStringLiteral("wirevane-cli"), {QStringLiteral("port"), QLatin1String(port)});
        EXPECT_EQ(r.code, 1) << port;
        EXPECT_EQ(r.out, QStringLiteral("Port not found.\n")) << port;
    }

    const ProcessResult json =
        run(QStringLiteral("wirevane-cli"),
            {QStringLiteral("port"), QStringLiteral("--json"), QStringLiteral("53")});
    const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(o.value(QLatin1String("port")).toInt(), 53);
    EXPECT_TRUE(o.value(QLatin1String("found")).toBool());
    EXPECT_EQ(o.value(QLatin1String("name")).toString(), QStringLiteral("domain"));

    const ProcessResult junk =
        run(QStringLiteral("wirevane-cli"), {QStringLiteral("port"), QStringLiteral("http")});
    EXPECT_EQ(junk.code, 2);
    const ProcessResult missing =
        run(QStringLiteral("wirevane-cli"),
            {QStringLiteral("port"), QStringLiteral("--db"),
             QStringLiteral("/nonexistent/portdb.qpd"), QStringLiteral("22")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains(QLatin1String("/nonexistent/portdb.qpd")));
}
