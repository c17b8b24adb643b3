// "Advanced Network Statistics": its pages, the counters against the
// kernel's own /proc/net/snmp with traffic made between two reads, the
// connection page, the "Transmission" group, row copy and saving a page.

#include "settings/DebugTrace.h"
#include "settings/RegistryStore.h"
#include "settings/Settings.h"
#include "stats/advstat/AdapterStatistics.h"
#include "stats/advstat/StatsListModel.h"
#include "stats/ui/TLightsPanel.h"
#include "stats/ui/TfrmAdvStatus.h"
#include "tests/stats/advstat/StatsFixtures.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace wv;

namespace {

// Counters of one group of /proc/net/snmp ("Tcp", "Udp", ...) by field name.
QHash<QString, qint64> procSnmp(const QString &group)
{
    QFile f(QStringLiteral("/proc/net/snmp"));
    QHash<QString, qint64> values;
    if (!f.open(QIODevice::ReadOnly))
        return values;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QList<QByteArray> names = lines[i].simplified().split(' ');
        const QList<QByteArray> numbers = lines[i + 1].simplified().split(' ');
        if (names.value(0) != group.toLatin1() + ':' || numbers.value(0) != names.value(0))
            continue;
        for (qsizetype k = 1; k < names.size() && k < numbers.size(); ++k)
            values.insert(QString::fromLatin1(names[k]), numbers[k].toLongLong());
        break;
    }
    return values;
}

// The /proc/net/snmp field of a MIB-II counter name.
QString procField(const QString &name, const QString &prefix)
{
    QString field = name.mid(prefix.size());
    if (field == QLatin1String("AttemptsFails"))
        return QStringLiteral("AttemptFails");
    return field;
}

// The shown value lies between the kernel's figures read before and after
// (as the agent's 32 bits, compared with wrap-around).
bool between(qint64 before, qint32 shown, qint64 after)
{
    const quint32 b = quint32(before), a = quint32(after), s = quint32(shown);
    return quint32(s - b) <= quint32(a - b);
}

// Opens and closes `count` TCP connections on 127.0.0.1 and sends `count`
// UDP datagrams to a loopback socket.
void loopbackTraffic(int count)
{
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    QVERIFY(bind(listener, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0);
    QVERIFY(listen(listener, count) == 0);
    QVERIFY(getsockname(listener, reinterpret_cast<sockaddr *>(&addr), &len) == 0);
    for (int i = 0; i < count; ++i) {
        const int c = socket(AF_INET, SOCK_STREAM, 0);
        QVERIFY(::connect(c, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0);
        const int a = accept(listener, nullptr, nullptr);
        QVERIFY(a >= 0);
        close(a);
        close(c);
    }
    close(listener);

    const int rx = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in u{};
    u.sin_family = AF_INET;
    u.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    len = sizeof u;
    QVERIFY(bind(rx, reinterpret_cast<sockaddr *>(&u), sizeof u) == 0);
    QVERIFY(getsockname(rx, reinterpret_cast<sockaddr *>(&u), &len) == 0);
    const int tx = socket(AF_INET, SOCK_DGRAM, 0);
    for (int i = 0; i < count; ++i)
        QVERIFY(sendto(tx, "wv", 2, 0, reinterpret_cast<sockaddr *>(&u), sizeof u) == 2);
    char buf[8];
    for (int i = 0; i < count; ++i)
        QVERIFY(recv(rx, buf, sizeof buf, 0) == 2);
    close(tx);
    close(rx);
}

class FakeDialUp : public DialUpConnectionSource
{
public:
    QList<DialUpConnection> activeConnections() override
    {
        ++calls;
        return list;
    }
    QList<DialUpConnection> list;
    int calls = 0;
};

} // namespace

class TestAdvStatusWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    Settings m_settings;
    std::unique_ptr<RegistryStore> m_registry;
    std::unique_ptr<AdapterChoice> m_choice;
    std::shared_ptr<FakeDialUp> m_dialUp;

    QString sys() const { return m_dir.filePath(QStringLiteral("net")); }

    TfrmAdvStatus *open(bool show = true)
    {
        TfrmAdvStatus::Sources sources;
        sources.adapter = m_choice.get();
        sources.dialUp = m_dialUp;
        sources.sysClassNet = sys();
        auto *w = new TfrmAdvStatus(m_settings, sources);
        w->setErrorReporter([](const QString &m) { QFAIL(qPrintable(m)); });
        if (show) {
            w->show();
            QCoreApplication::processEvents();
        }
        return w;
    }

    static void shoot(QWidget *w, const QString &name)
    {
        const QString dir = qEnvironmentVariable("WV_SCREENSHOT_DIR");
        if (!dir.isEmpty())
            w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
    }

private Q_SLOTS:
    void init()
    {
        m_settings = Settings();
        m_registry =
            std::make_unique<RegistryStore>(m_dir.filePath(QStringLiteral("registry.ini")));
        QFile::remove(m_dir.filePath(QStringLiteral("registry.ini")));
        m_choice =
            std::make_unique<AdapterChoice>(*m_registry, m_dir.filePath(QStringLiteral("route")));
        m_choice->setNamed(QStringLiteral("ppp0"));
        QDir(sys()).removeRecursively();
        test::writeSysfsInterface(sys(), QStringLiteral("ppp0"), 0, 0, 0, "100");
        m_dialUp = std::make_shared<FakeDialUp>();
    }

    void fivePagesWithTheirListsAndColumns()
    {
        std::unique_ptr<TfrmAdvStatus> w(open());
        QCOMPARE(w->windowTitle(), QStringLiteral("Advanced Network Statistics"));
        QCOMPARE(w->pc->count(), 5);
        const QStringList captions = {"Connection Stats", "ICMP Stats", "IP Stats", "TCP Stats",
                                      "UDP Stats"};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(w->pc->tabText(i), captions[i]);
        QCOMPARE(w->mainLv->columnWidth(1), 180);
        QVERIFY(w->mainLv->isColumnHidden(0));
        for (QTableView *lv : {w->icmpLv, w->ipLv, w->tcpLv, w->udpLv}) {
            QCOMPARE(lv->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("#"));
            // At least the usual 19 pixels, and "10" and up are not cut off.
            QVERIFY(lv->columnWidth(0) >= 19);
            const int margin =
                lv->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, lv) + 1;
            QVERIFY(lv->fontMetrics().horizontalAdvance(QStringLiteral("26")) + 2 * margin <=
                    lv->columnWidth(0));
            QCOMPARE(lv->columnWidth(1), 230);
            QCOMPARE(lv->columnWidth(2), 116);
            QVERIFY(lv->showGrid());
            QCOMPARE(lv->editTriggers(), QAbstractItemView::NoEditTriggers);
            QCOMPARE(lv->selectionBehavior(), QAbstractItemView::SelectRows);
            QVERIFY(!lv->horizontalHeader()->sectionsClickable());
        }
        QCOMPARE(w->butSave->text(), QStringLiteral("&Save fields to file..."));
        // Counter pages fill when they are shown, 62 counters in all.
        int total = 0;
        for (int i = 1; i < 5; ++i) {
            w->pc->setCurrentIndex(i);
            total += w->model(StatsPage(i)).rowCount();
        }
        QCOMPARE(total, 62);
        QCOMPARE(w->model(StatsPage::Icmp).cell(7, 1), QStringLiteral("icmpInEchos"));
    }

    void countersAgreeWithProcNetSnmpAcrossLoopbackTraffic()
    {
        std::unique_ptr<TfrmAdvStatus> w(open());
        struct Group
        {
            StatsPage page;
            const char *proc;
            const char *prefix;
        };
        const Group groups[] = {{StatsPage::Tcp, "Tcp", "tcp"},
                                {StatsPage::Udp, "Udp", "udp"},
                                {StatsPage::Ip, "Ip", "ip"},
                                {StatsPage::Icmp, "Icmp", "icmp"}};
        const QStringList moving = {"tcpCurrEstab"}; // goes down as well as up
        QHash<QString, qint32> first;
        for (int round = 0; round < 2; ++round) {
            if (round == 1)
                loopbackTraffic(20);
            for (const Group &g : groups) {
                const auto before = procSnmp(QLatin1String(g.proc));
                QVERIFY(!before.isEmpty());
                // Leave the page and come back: the list is filled afresh.
                w->pc->setCurrentIndex(0);
                w->pc->setCurrentIndex(int(g.page));
                const auto after = procSnmp(QLatin1String(g.proc));
                const StatsListModel &m = w->model(g.page);
                QVERIFY(m.rowCount() > 0);
                for (int r = 0; r < m.rowCount(); ++r) {
                    const QString name = m.cell(r, 1);
                    const QString field = procField(name, QLatin1String(g.prefix));
                    QVERIFY2(before.contains(field), qPrintable(name));
                    const qint32 shown = m.cell(r, 2).toInt();
                    if (!moving.contains(name))
                        QVERIFY2(between(before[field], shown, after[field]),
                                 qPrintable(QStringLiteral("%1 %2 not in %3..%4")
                                                .arg(name)
                                                .arg(shown)
                                                .arg(before[field])
                                                .arg(after[field])));
                    if (round == 0)
                        first.insert(name, shown);
                    else
                        first.insert(name + QStringLiteral("+"), shown);
                }
            }
        }
        // The test's own traffic shows in the refilled lists.
        auto grew = [&](const char *name) {
            return qint64(first.value(QLatin1String(name) + QStringLiteral("+"))) -
                   first.value(QLatin1String(name));
        };
        QVERIFY(grew("tcpActiveOpens") >= 20);
        QVERIFY(grew("tcpPassiveOpens") >= 20);
        QVERIFY(grew("udpInDatagrams") >= 20);
        QVERIFY(grew("udpOutDatagrams") >= 20);
        QVERIFY(grew("ipInReceives") >= 100);
    }

    void connectionPageShowsTheLastActiveConnection()
    {
        m_dialUp->list = {
            {"First", "Connected", "modem", "ttyUSB0", "ppp1"},
            {"Second ISP", "Authentication: projecting", "PPPoE", "eth1 (r8169)", "ppp0"}};
        debugTrace().setEnabled(true);
        debugTrace().clear();
        std::unique_ptr<TfrmAdvStatus> w(open());
        const StatsListModel &m = w->model(StatsPage::Connection);
        QCOMPARE(m.rowCount(), 5);
        QCOMPARE(m.cell(0, 1), QStringLiteral("Connection"));
        QCOMPARE(m.cell(0, 2), QStringLiteral("Second ISP"));
        QCOMPARE(m.cell(1, 2), QStringLiteral("Authentication: projecting"));
        QCOMPARE(m.cell(3, 2), QStringLiteral("eth1 (r8169)"));
        QCOMPARE(m.cell(4, 1), QStringLiteral("Connect rate"));
        QCOMPARE(m.cell(4, 2), QStringLiteral("100000000"));
        const QString trace = debugTrace().text();
        QVERIFY(trace.contains(QStringLiteral("HasRAS = true, user has modem")));
        QVERIFY(trace.contains(QStringLiteral("Creating TDialUp")));
        QVERIFY(trace.contains(QStringLiteral("featching net device")));
        QCOMPARE(trace.count(QStringLiteral("Getting active connection")), 2);
        shoot(w.get(), QStringLiteral("advstat-0-connection"));

        // Without dial-up networking the list is not asked for and stays empty.
        m_settings.hasRAS = false;
        debugTrace().clear();
        const int calls = m_dialUp->calls;
        std::unique_ptr<TfrmAdvStatus> lan(open());
        QCOMPARE(lan->model(StatsPage::Connection).rowCount(), 0);
        QCOMPARE(m_dialUp->calls, calls);
        QVERIFY(debugTrace().text().contains(QStringLiteral("HasRAS = false, user has no modem")));
        QVERIFY(!debugTrace().text().contains(QStringLiteral("Creating TDialUp")));
        debugTrace().setEnabled(false);
    }

    void transmissionCountsAndLights()
    {
        std::unique_ptr<TfrmAdvStatus> w(open());
        QVERIFY(w->modemTimer1->isActive());
        QCOMPARE(w->modemTimer1->interval(), 100);
        QCOMPARE(w->lblNetDevice->text(), QStringLiteral("ppp0"));
        w->modemTimer1Timer();
        // Zero shows as an empty label, lights dark.
        QCOMPARE(w->lblSent->text(), QString());
        QVERIFY(!w->LED1->isLit() && !w->LED2->isLit());

        test::writeSysfsInterface(sys(), QStringLiteral("ppp0"), 4096, 1048576, 800, "100");
        w->modemTimer1Timer();
        QCOMPARE(w->lblSent->text(), QStringLiteral("4,096"));
        QCOMPARE(w->lblRcvd->text(), QStringLiteral("1,048,576"));
        QCOMPARE(w->lblFrames->text(), QStringLiteral("800"));
        QVERIFY(w->LED2->isLit()); // sent
        QVERIFY(w->LED1->isLit()); // received

        test::writeSysfsInterface(sys(), QStringLiteral("ppp0"), 4096, 1049000, 801, "100");
        w->modemTimer1Timer();
        QVERIFY(!w->LED2->isLit());
        QVERIFY(w->LED1->isLit());
        shoot(w.get(), QStringLiteral("advstat-0-transmission"));

        // The adapter vanishes: labels and lights keep what they showed.
        QDir(sys() + QStringLiteral("/ppp0")).removeRecursively();
        w->modemTimer1Timer();
        QCOMPARE(w->lblRcvd->text(), QStringLiteral("1,049,000"));
        QVERIFY(w->LED1->isLit());
    }

    void adapterChoiceIsKeptWithTheSettings()
    {
        test::writeSysfsInterface(sys(), QStringLiteral("wwan0"), 1, 2, 3);
        std::unique_ptr<TfrmAdvStatus> w(open());
        QCOMPARE(w->cbAdapter->currentData().toString(), QStringLiteral("ppp0"));
        w->cbAdapter->setCurrentIndex(w->cbAdapter->findData(QStringLiteral("wwan0")));
        QCOMPARE(m_choice->named(), QStringLiteral("wwan0"));
        QCOMPARE(RegistryStore(m_dir.filePath(QStringLiteral("registry.ini")))
                     .readString(QStringLiteral("WVN3PRO\\DialUp"), QStringLiteral("Adapter")),
                 QStringLiteral("wwan0"));
        QCOMPARE(w->lblNetDevice->text(), QStringLiteral("wwan0"));
        w->modemTimer1Timer();
        QCOMPARE(w->lblFrames->text(), QStringLiteral("3"));
        w->cbAdapter->setCurrentIndex(0); // back to the default route
        QVERIFY(m_choice->named().isEmpty());
    }

    void rowCopyAndDeviceCopy()
    {
        std::unique_ptr<TfrmAdvStatus> w(open());
        w->pc->setCurrentIndex(int(StatsPage::Tcp));
        w->lvMouseUp(w->tcpLv, 3, QPoint(), false);
        QCOMPARE(w->miName->text(), QStringLiteral("tcpMaxConn"));
        QCOMPARE(w->miVal->text(), QStringLiteral("-1"));
        w->miVal->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("-1"));
        w->miName->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("tcpMaxConn"));
        w->lblNetDeviceClick();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("ppp0"));
    }

    void saveFieldsOfTheCurrentPage()
    {
        std::unique_ptr<TfrmAdvStatus> w(open());
        w->pc->setCurrentIndex(int(StatsPage::Udp));
        const QString path = m_dir.filePath(QStringLiteral("udp.csv"));
        w->chooseFile = [&](QString *p, int *filter) {
            *p = path;
            *filter = 5;
            return true;
        };
        w->butSave->click();
        QCOMPARE(w->saveD->windowTitle(), QStringLiteral("Save UDP Stats to file..."));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        QVERIFY(text.contains(QStringLiteral("#,Name,Value")));
        QVERIFY(text.contains(QStringLiteral("4,udpOutDatagrams,")));
        QCOMPARE(text.count(QStringLiteral("\r\n")), 5);

        // Cancelling writes nothing.
        w->chooseFile = [](QString *, int *) { return false; };
        QFile::remove(path);
        w->butSave->click();
        QVERIFY(!QFile::exists(path));
    }

    void okCancelAndEscapeCloseAndFree()
    {
        for (int way = 0; way < 3; ++way) {
            QPointer<TfrmAdvStatus> w = open();
            if (way == 0)
                w->butOK->click();
            else if (way == 1)
                w->butCancel->click();
            else
                QTest::keyClick(w, Qt::Key_Escape);
            QTRY_VERIFY(w.isNull());
        }
    }

    void screenshotsOfEveryPage()
    {
        if (qEnvironmentVariableIsEmpty("WV_SCREENSHOT_DIR"))
            QSKIP("set WV_SCREENSHOT_DIR to keep screenshots");
        std::unique_ptr<TfrmAdvStatus> w(open());
        for (int i = 1; i < 5; ++i) {
            w->pc->setCurrentIndex(i);
            QCoreApplication::processEvents();
            shoot(w.get(), QStringLiteral("advstat-%1-%2").arg(i).arg(statsPageName(StatsPage(i))));
        }
    }
};

QTEST_MAIN(TestAdvStatusWindow)
#include "test_advstat_window.moc"
