#include "settings/RegistryStore.h"
#include "settings/SettingsStore.h"
#include "stats/SummaryLog.h"
#include "stats/ui/TfrmSummary.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

using namespace wv;

class TestSummary : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void keepSummaryDecidesWhatIsCollected()
    {
        RegistryStore registry(m_dir.filePath(QStringLiteral("registry.ini")));
        SettingsStore store(registry);
        store.values().xNoSummary = true;
        SummaryLog log;
        QAbstractItemModelTester tester(&log,
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
        TfrmSummary form(log, store);
        QVERIFY(!form.tb1->isChecked());
        form.AddSummaryEvent(QStringLiteral("New Conn: lost"));
        QCOMPARE(log.rowCount(), 0);

        // Pressing "Keep Summary" down resumes collecting and is remembered.
        QTest::mouseClick(form.tb1, Qt::LeftButton);
        QVERIFY(form.tb1->isChecked());
        QVERIFY(!store.values().xNoSummary);
        QCOMPARE(
            registry.readString(QStringLiteral("WVN3PRO\\Settings"), QStringLiteral("xNoSummary")),
            QStringLiteral("0"));
        form.AddSummaryEvent(QStringLiteral("New Conn: 10.0.0.1"));
        form.AddSummaryEvent(QStringLiteral("Closed: 10.0.0.1"));
        QCOMPARE(log.rowCount(), 2);
        QCOMPARE(log.index(1, SummaryLog::EventColumn).data().toString(),
                 QStringLiteral("Closed: 10.0.0.1"));
        QVERIFY(!log.index(0, SummaryLog::TimeColumn).data().toString().isEmpty());
        QCOMPARE(log.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("Time"));

        QTest::mouseClick(form.tb1, Qt::LeftButton);
        QVERIFY(store.values().xNoSummary);
        form.AddSummaryEvent(QStringLiteral("ignored"));
        QCOMPARE(log.rowCount(), 2);

        // Applying the options follows the setting too.
        store.values().xNoSummary = false;
        form.applyExtras(store.values());
        QVERIFY(form.tb1->isChecked());
        QVERIFY(log.isCollecting());
    }

    void flatScrollBarsAndHotTrackingFollowTheOptions()
    {
        RegistryStore registry(m_dir.filePath(QStringLiteral("registry.ini")));
        SettingsStore store(registry);
        SummaryLog log;
        TfrmSummary form(log, store);
        store.addSink(&form);
        const int normalWidth = form.lv->verticalScrollBar()->sizeHint().width();
        QVERIFY(!form.lv->hasMouseTracking());

        store.values().xFlatScroll = true;
        store.values().xHotTrack = true;
        store.ProcessOptions();
        QCOMPARE(form.lv->verticalScrollBar()->sizeHint().width(), 10);
        QCOMPARE(form.lv->horizontalScrollBar()->sizeHint().height(), 10);
        QVERIFY(form.lv->hasMouseTracking());
        QVERIFY(form.lv->testAttribute(Qt::WA_Hover));

        store.values().xFlatScroll = false;
        store.values().xHotTrack = false;
        store.ProcessOptions();
        QCOMPARE(form.lv->verticalScrollBar()->sizeHint().width(), normalWidth);
        QVERIFY(!form.lv->hasMouseTracking());
        store.removeSink(&form);
    }

    void hideKeepsLinesAndSaveWritesTheList()
    {
        RegistryStore registry(m_dir.filePath(QStringLiteral("registry.ini")));
        SettingsStore store(registry);
        SummaryLog log;
        TfrmSummary form(log, store);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.AddSummaryEvent(QStringLiteral("=cmd, \"quoted\""));
        QTest::mouseClick(form.tb3, Qt::LeftButton);
        QVERIFY(!form.isVisible());
        QCOMPARE(log.rowCount(), 1);

        const QString csv = m_dir.filePath(QStringLiteral("summary.csv"));
        QVERIFY(form.saveToFile(csv, 5));
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBFTime,Event\r\n"));
        QVERIFY(bytes.endsWith(",\"'=cmd, \"\"quoted\"\"\"\r\n"));
        QString error;
        QVERIFY(!form.saveToFile(csv, 9, &error));
    }

    void atShutDownHideCloseEndsTheModalDisplay()
    {
        RegistryStore registry(m_dir.filePath(QStringLiteral("registry.ini")));
        SettingsStore store(registry);
        SummaryLog log;
        TfrmSummary form(log, store);
        form.setExiting(true);
        bool keepEnabled = true;
        QTimer::singleShot(0, &form, [&] {
            keepEnabled = form.tb1->isEnabled();
            QTest::mouseClick(form.tb3, Qt::LeftButton);
        });
        QTimer::singleShot(5000, &form, [&] { form.done(QDialog::Rejected); });
        QCOMPARE(form.exec(), int(QDialog::Accepted));
        QVERIFY(!keepEnabled);
        QVERIFY(!form.isVisible());
    }
};

QTEST_MAIN(TestSummary)
#include "test_summary.moc"
