// The quick DNS, quick finger and NetBIOS windows against real peers.
// With WV_SCREENSHOTS set to a folder, each window is saved there as a PNG.
#include "monitor/DnsCache.h"
#include "settings/RegistryStore.h"
#include "tests/monitor/DnsTestServer.h"
#include "tests/tools/Peers.h"
#include "tools/quick/CommandCapture.h"
#include "tools/quick/FingerQuery.h"
#include "tools/quick/QuickDnsLookup.h"
#include "tools/quick/ui/TfrmNBLookup.h"
#include "tools/quick/ui/TfrmQuickDNS.h"
#include "tools/quick/ui/TfrmQuickFinger.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace wv;

namespace {

void screenshot(QWidget *w, const QString &name)
{
    const QString dir = qEnvironmentVariable("WV_SCREENSHOTS");
    if (dir.isEmpty())
        return;
    QTest::qWait(150);
    w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace

class TestQuickWindows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        m_registry = new RegistryStore(m_dir.filePath(QStringLiteral("registry.ini")));
        m_dns = new wv::test::DnsTestServer({QStringLiteral("10.9.8.7=seven.wvtest.example")},
                                            {QStringLiteral("alpha.wvtest.example=10.1.2.3")},
                                            {QStringLiteral("wvtest.example")});
        QVERIFY2(m_dns->isRunning(), qPrintable(m_dns->error()));
    }
    void cleanupTestCase()
    {
        delete m_dns;
        delete m_registry;
    }

    void quickDnsLooksUpBothWaysAndKeepsHistory()
    {
        DnsCache cache(m_dir.filePath(QStringLiteral("wvncache.ini")));
        auto *w = new TfrmQuickDNS(*m_registry, &cache, 3000);
        QPointer<TfrmQuickDNS> alive(w);
        w->lookup().setServers({m_dns->server()});
        w->show();
        QCOMPARE(w->windowTitle(), QStringLiteral("QuickDNS"));
        QVERIFY(!w->tb1->isEnabled());
        QVERIFY(!w->tb2->isEnabled());
        QVERIFY(!w->chkCache->isChecked());
        QVERIFY(!w->chkTimeouts->isChecked());
        QCOMPARE(w->lookup().timeoutInterval(), 3000);

        w->edit1->setEditText(QStringLiteral("alpha.wvtest.example"));
        QVERIFY(w->tb1->isEnabled());
        w->tb1->click();
        QCOMPARE(w->ei->text(), QStringLiteral("10.1.2.3"));
        QCOMPARE(w->eh->text(), QStringLiteral("alpha.wvtest.example"));
        QVERIFY(w->tb1->isEnabled() && w->edit1->isEnabled() && !w->tb2->isEnabled());

        // Enter in the address box acts as the Lookup button.
        w->edit1->setEditText(QStringLiteral("10.9.8.7"));
        w->edit1->setFocus();
        QTest::keyClick(w->edit1, Qt::Key_Return);
        QTRY_COMPARE(w->eh->text(), QStringLiteral("seven.wvtest.example"));
        QCOMPARE(w->ei->text(), QStringLiteral("10.9.8.7"));
        screenshot(w, QStringLiteral("quickdns"));

        w->edit1->setEditText(QStringLiteral("missing.wvtest.example"));
        w->tb1->click();
        QCOMPARE(w->ei->text(), QString());

        QCOMPARE(w->edit1->count(), 3);
        QCOMPARE(w->edit1->itemText(0), QStringLiteral("missing.wvtest.example"));
        QCOMPARE(m_registry->readString(TfrmQuickDNS::HistoryKey, QStringLiteral("Item3")),
                 QStringLiteral("alpha.wvtest.example"));

        // Esc closes the window, which frees itself.
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w->edit1, Qt::Key_Escape);
        QTRY_VERIFY(alive.isNull());
    }

    void quickDnsFromCacheAndWhileWaiting()
    {
        DnsCache cache(m_dir.filePath(QStringLiteral("wvncache.ini")));
        cache.store(QStringLiteral("10.1.2.3"), QStringLiteral("from-cache.example"));
        auto *w = new TfrmQuickDNS(*m_registry, &cache, 400);
        w->lookup().setServers({m_dns->server()});
        w->show();
        w->chkCache->setChecked(true);
        w->edit1->setEditText(QStringLiteral("10.1.2.3"));
        w->tb1->click();
        QCOMPARE(w->eh->text(), QStringLiteral("from-cache.example"));
        QCOMPARE(w->ei->text(), QStringLiteral("10.1.2.3"));
        QCOMPARE(m_dns->queriesFor(QStringLiteral("10.1.2.3")), 0);

        // A server that never answers: controls are locked during the wait,
        // and the time-out answers with the address itself.
        wv::test::SilentDnsServer silent;
        w->lookup().setServers({silent.server()});
        w->chkCache->setChecked(false);
        w->chkTimeouts->setChecked(true);
        bool lockedDuring = false;
        QTimer::singleShot(100, w, [&] {
            lockedDuring = !w->tb1->isEnabled() && !w->edit1->isEnabled() &&
                           !w->chkCache->isEnabled() && !w->chkTimeouts->isEnabled() &&
                           w->tb2->isEnabled();
        });
        w->tb1->click();
        QVERIFY(lockedDuring);
        QCOMPARE(w->eh->text(), QStringLiteral("10.1.2.3"));

        w->edit1->setEditText(QStringLiteral("alpha.wvtest.example"));
        w->tb1->click();
        QCOMPARE(w->ei->text(), QStringLiteral("???"));

        // Unchecked, only Abort ends the wait.
        w->chkTimeouts->setChecked(false);
        w->edit1->setEditText(QStringLiteral("10.9.8.7"));
        QTimer::singleShot(900, w, [w] { w->tb2->click(); });
        w->tb1->click();
        QCOMPARE(w->eh->text(), QString());
        QVERIFY(w->tb1->isEnabled() && !w->tb2->isEnabled());
        // Closing while a lookup waits is safe.
        QTimer::singleShot(100, w, [w] { w->close(); });
        QPointer<TfrmQuickDNS> alive(w);
        w->tb1->click();
        QTRY_VERIFY(alive.isNull());
    }

    void quickFingerShowsTheAnswer()
    {
        wv::test::SocatService fingerd(QStringLiteral("/usr/sbin/in.fingerd"));
        if (!fingerd.isRunning())
            QSKIP("fingerd does not run here (packages fingerd, finger, socat)");
        auto *w = new TfrmQuickFinger(*m_registry);
        QPointer<TfrmQuickFinger> alive(w);
        w->sock().setPort(fingerd.port());
        w->show();
        QCOMPARE(w->windowTitle(), QStringLiteral("QuickFinger"));
        QCOMPARE(w->minimumSize(), QSize(250, 150));
        QVERIFY(!w->tb1->isEnabled());

        // Without "@" nothing happens.
        w->edit1->setEditText(QStringLiteral("nobody"));
        w->tb1->click();
        QVERIFY(w->stat->currentMessage().isEmpty());
        QVERIFY(w->tb1->isEnabled());

        w->edit1->setEditText(QStringLiteral("nobody@127.0.0.1"));
        w->tb1->click();
        QVERIFY(!w->tb1->isEnabled() && w->tb2->isEnabled() && !w->chkVerbose->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(w->stat->currentMessage(), QStringLiteral("Done"), 10000);
        QVERIFY(w->Memo1->toPlainText().contains(QStringLiteral("Login: nobody")));
        QCOMPARE(w->Memo1->textCursor().selectionStart(), 0);
        QCOMPARE(w->Memo1->textCursor().selectedText().size(), 1);
        QVERIFY(w->tb1->isEnabled() && !w->tb2->isEnabled());
        screenshot(w, QStringLiteral("quickfinger"));

        // Abort while a silent server holds the query.
        wv::test::SocatService silent(QStringLiteral("sh -c 'cat >/dev/null'"));
        QVERIFY(silent.isRunning());
        w->sock().setPort(silent.port());
        w->tb1->click();
        QTRY_COMPARE(w->stat->currentMessage(), QStringLiteral("Sent query"));
        w->tb2->click();
        QCOMPARE(w->stat->currentMessage(), QStringLiteral("Query Cancelled"));
        QVERIFY(w->tb1->isEnabled());
        w->tb3->click();
        QTRY_VERIFY(alive.isNull());
    }

    void netBiosWindow()
    {
        auto *w = new TfrmNBLookup;
        QPointer<TfrmNBLookup> alive(w);
        w->show();
        QCOMPARE(w->windowTitle(), QStringLiteral("NetBIOS name table lister"));
        QVERIFY(!w->tb1->isEnabled());
        // Typed letters are refused.
        w->Edit1->setFocus();
        QTest::keyClicks(w->Edit1, QStringLiteral("10a.7x7.0.1"));
        QCOMPARE(w->Edit1->text(), QStringLiteral("10.77.0.1"));
        // A pasted text with a letter makes Lookup do nothing.
        w->Edit1->setText(QStringLiteral("host.example"));
        w->Memo1->setPlainText(QStringLiteral("untouched"));
        w->tb1->click();
        QCOMPARE(w->Memo1->toPlainText(), QStringLiteral("untouched"));
        QVERIFY(!w->capture().isRunning());

        // nmblookup missing: the window says which package brings it.
        w->setProgram(QStringLiteral("/nonexistent/nmblookup"));
        w->Edit1->setText(QStringLiteral("10.77.0.1"));
        w->tb1->click();
        QTRY_VERIFY(w->Memo1->toPlainText().contains(QStringLiteral("samba-common-bin")));
        QVERIFY(w->tb1->isEnabled());
        QVERIFY(!QGuiApplication::overrideCursor());
        screenshot(w, QStringLiteral("netbios-missing"));

        wv::test::NetBiosNamespace ns;
        if (!ns.whyNot().isEmpty()) {
            w->close();
            QSKIP(qPrintable(QStringLiteral("NetBIOS peer cannot run here: ") + ns.whyNot()));
        }
        QVERIFY(ns.enter());
        w->setProgram(NetBiosCommand::Program);
        w->tb1->click();
        ns.leave();
        QVERIFY(w->capture().isRunning());
        QVERIFY(!w->tb1->isEnabled());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QTRY_VERIFY_WITH_TIMEOUT(!w->capture().isRunning(), 15000);
        QVERIFY(w->Memo1->toPlainText().contains(wv::test::NetBiosNamespace::NetBiosName));
        QVERIFY(w->tb1->isEnabled());
        QVERIFY(!QGuiApplication::overrideCursor());
        screenshot(w, QStringLiteral("netbios"));
        w->tb2->click();
        QTRY_VERIFY(alive.isNull());
    }

private:
    QTemporaryDir m_dir;
    RegistryStore *m_registry = nullptr;
    wv::test::DnsTestServer *m_dns = nullptr;
};

QTEST_MAIN(TestQuickWindows)
#include "test_quick_windows.moc"
