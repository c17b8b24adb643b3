// The port tester window against a closed port and a real telnetd; the
// terminal's contents are read from the emulation, not from pixels.
// With WV_SCREENSHOTS set to a folder, the window is saved there as a PNG.
#include "settings/RegistryStore.h"
#include "tests/tools/Peers.h"
#include "tools/porttest/PortTestPlacement.h"
#include "tools/porttest/TelnetSession.h"
#include "tools/porttest/TerminalScreen.h"
#include "tools/porttest/ui/TerminalWidget.h"
#include "tools/porttest/ui/TfrmPortTest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using namespace wv;

class TestPortTestWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        m_registry = new RegistryStore(m_dir.filePath(QStringLiteral("registry.ini")));
    }
    void cleanupTestCase() { delete m_registry; }

    void defaultsAndInput()
    {
        TfrmPortTest w(*m_registry, {QStringLiteral("22"), QStringLiteral("631")});
        w.setAttribute(Qt::WA_DeleteOnClose, false);
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("Port Testing / Mini Telnet Client"));
        QCOMPARE(w.minimumSize(), QSize(483, 180));
        QCOMPARE(w.cboHost->currentText(), QStringLiteral("127.0.0.1"));
        QCOMPARE(w.cboPort->currentText(), QStringLiteral("23"));
        QCOMPARE(w.cboPort->count(), 2);
        QVERIFY(w.tb1->isEnabled());
        QVERIFY(!w.tb2->isEnabled());
        QVERIFY(!w.chkEcho->isChecked());
        QCOMPARE(w.tn->screen().rows(), 25);
        QCOMPARE(w.tn->screen().columns(), 80);

        w.cboHost->setEditText(QString());
        QVERIFY(!w.tb1->isEnabled());
        w.cboHost->setEditText(QStringLiteral("127.0.0.1"));
        QVERIFY(w.tb1->isEnabled());
        // Typed letters do nothing in the port box.
        w.cboPort->lineEdit()->clear();
        w.cboPort->setFocus();
        QTest::keyClicks(w.cboPort->lineEdit(), QStringLiteral("8a0x"));
        QCOMPARE(w.cboPort->currentText(), QStringLiteral("80"));
        QVERIFY(w.selectPort(QStringLiteral("631")));
        QCOMPARE(w.cboPort->currentText(), QStringLiteral("631"));
        QVERIFY(!w.selectPort(QStringLiteral("9")));

        // Keys typed into the terminal go out as a VT100 sends them.
        QByteArray sent;
        connect(&w.tn->screen(), &TerminalScreen::output, this,
                [&](const QByteArray &b) { sent += b; });
        w.tn->setFocus();
        QTest::keyClick(w.tn, Qt::Key_Up);
        QTest::keyClick(w.tn, Qt::Key_F2);
        QTest::keyClick(w.tn, Qt::Key_A);
        QTest::keyClick(w.tn, Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(w.tn, Qt::Key_Tab);
        QCOMPARE(sent, QByteArray("\x1b[A\x1bOQa\x03\t"));
        QCOMPARE(w.focusWidget(), w.tn);
        w.close();
    }

    void closedPortIsSessionClosed()
    {
        TfrmPortTest w(*m_registry, {});
        w.setAttribute(Qt::WA_DeleteOnClose, false);
        w.show();
        w.cboPort->setEditText(QString::number(wv::test::freeTcpPort()));
        w.tb1->click();
        QTRY_COMPARE(w.stat->currentMessage(), QStringLiteral("Session Closed"));
        QVERIFY(w.tb1->isEnabled());
        QVERIFY(!w.tb2->isEnabled());
        QVERIFY(w.tn->screen().text().contains(QStringLiteral("refused"), Qt::CaseInsensitive));
        w.close();
    }

    void telnetLoginPrompt()
    {
        if (!wv::test::haveProgram(QStringLiteral("/usr/sbin/telnetd")))
            QSKIP("telnetd is not installed (package inetutils-telnetd)");
        wv::test::SocatService telnetd(QStringLiteral("/usr/sbin/telnetd -h"));
        QVERIFY2(telnetd.isRunning(), qPrintable(telnetd.error()));
        auto *w = new TfrmPortTest(*m_registry, {QString::number(telnetd.port())});
        QPointer<TfrmPortTest> alive(w);
        w->show();
        QStringList statuses;
        connect(w->stat, &QStatusBar::messageChanged, this,
                [&](const QString &s) { statuses << s; });
        QVERIFY(w->selectPort(QString::number(telnetd.port())));
        w->cboPort->setFocus();
        QTest::keyClick(w->cboPort, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(w->tn->screen().text().contains(QStringLiteral("login:")), 10000);
        QCOMPARE(statuses.value(0), QStringLiteral("Session Connected"));
        QVERIFY(statuses.contains(QStringLiteral("Data available")));
        QVERIFY(!w->tb1->isEnabled());
        QVERIFY(w->tb2->isEnabled());
        // The prompt is drawn in bright green on black.
        const TerminalScreen &s = w->tn->screen();
        int row = 0;
        while (row < s.rows() && !s.rowText(row).contains(QStringLiteral("login:")))
            ++row;
        QVERIFY(row < s.rows());
        const auto cell = s.cell(row, 0);
        QCOMPARE(cell.foreground, qRgb(0, 255, 0));
        QCOMPARE(cell.background, qRgb(0, 0, 0));
        // Both colours end up on the screen's pixels too.
        const QImage image = w->tn->grab().toImage();
        QCOMPARE(image.pixelColor(1, 1), QColor(0, 0, 0));
        const QString dir = qEnvironmentVariable("WV_SCREENSHOTS");
        if (!dir.isEmpty())
            w->grab().save(dir + QStringLiteral("/porttest-telnet.png"));

        // Local echo, then Disconnect.
        w->chkEcho->setChecked(true);
        QVERIFY(w->tn->screen().localEcho());
        w->tb2->click();
        QCOMPARE(w->stat->currentMessage(), QStringLiteral("Session Closed"));
        QVERIFY(w->tb1->isEnabled() && !w->tb2->isEnabled());

        // Placement keys are written on closing and read by the next window.
        w->addToolBar(Qt::BottomToolBarArea, w->toolBar);
        w->tb4->click();
        QTRY_VERIFY(alive.isNull());
        const PortTestPlacement p = PortTestPlacement::load(*m_registry);
        QVERIFY(p.localEcho);
        QVERIFY(p.toolbarAtBottom);
        TfrmPortTest again(*m_registry, {});
        again.setAttribute(Qt::WA_DeleteOnClose, false);
        QVERIFY(again.chkEcho->isChecked());
        QCOMPARE(again.toolBarArea(again.toolBar), Qt::BottomToolBarArea);
    }

    void sshBannerAndUnknownService()
    {
        wv::test::SshServer ssh;
        if (!ssh.isRunning())
            QSKIP(qPrintable(ssh.error()));
        TfrmPortTest w(*m_registry, {});
        w.setAttribute(Qt::WA_DeleteOnClose, false);
        w.show();
        w.cboPort->setEditText(QString::number(ssh.port()));
        w.tb1->click();
        // Generous: a sanitizer build on a busy machine is slow to connect.
        QTRY_VERIFY_WITH_TIMEOUT(w.tn->screen().text().startsWith(QStringLiteral("SSH-2.0-")),
                                 30000);
        const QString dir = qEnvironmentVariable("WV_SCREENSHOTS");
        if (!dir.isEmpty())
            w.grab().save(dir + QStringLiteral("/porttest-ssh.png"));
        w.cboPort->setEditText(QStringLiteral("no-such-service-wv"));
        w.tb1->click();
        QTRY_VERIFY(w.tn->screen().text().contains(QStringLiteral("no-such-service-wv")));
        QCOMPARE(w.stat->currentMessage(), QStringLiteral("Session Closed"));
        QVERIFY(w.tb1->isEnabled() && !w.tb2->isEnabled());
        w.close();
    }

private:
    QTemporaryDir m_dir;
    RegistryStore *m_registry = nullptr;
};

QTEST_MAIN(TestPortTestWindow)
#include "test_porttest_window.moc"
