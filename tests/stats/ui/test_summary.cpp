#include "monitor/ListExporter.h"
#include "settings/RegistryStore.h"
#include "settings/SettingsStore.h"
#include "stats/SummaryLog.h"
#include "stats/ui/TfrmSummary.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QScrollBar>
#include <QSignalSpy>
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

    void aBatchReachesTheViewsInOneInsertion()
    {
        SummaryLog log;
        QAbstractItemModelTester tester(&log,
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
        QSignalSpy inserted(&log, &QAbstractItemModel::rowsInserted);
        log.beginBatch();
        log.beginBatch();
        for (int i = 0; i < 500; ++i)
            log.AddSummaryEvent(QStringLiteral("New Conn: %1").arg(i));
        log.endBatch();
        QCOMPARE(log.rowCount(), 0);
        log.endBatch();
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(log.rowCount(), 500);
        QCOMPARE(log.index(499, SummaryLog::EventColumn).data().toString(),
                 QStringLiteral("New Conn: 499"));
        // Outside a batch each line goes in at once.
        log.AddSummaryEvent(QStringLiteral("single"));
        QCOMPARE(log.rowCount(), 501);
    }

    void theOldestLinesGoBeyondTheLimitAndTheFirstLineCountsThem()
    {
        SummaryLog log;
        QAbstractItemModelTester tester(&log,
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
        QCOMPARE(log.maxEvents(), 100000);
        log.setMaxEvents(5);
        for (int i = 1; i <= 5; ++i)
            log.AddSummaryEvent(QStringLiteral("e%1").arg(i));
        QCOMPARE(log.rowCount(), 5);
        QCOMPARE(log.droppedCount(), 0);

        auto events = [&log] {
            QStringList out;
            for (int r = 0; r < log.rowCount(); ++r)
                out.append(log.index(r, SummaryLog::EventColumn).data().toString());
            return out;
        };
        log.AddSummaryEvent(QStringLiteral("e6"));
        QCOMPARE(events(), (QStringList{SummaryLog::droppedText(1, 5), QStringLiteral("e2"),
                                        QStringLiteral("e3"), QStringLiteral("e4"),
                                        QStringLiteral("e5"), QStringLiteral("e6")}));
        log.beginBatch();
        for (int i = 7; i <= 9; ++i)
            log.AddSummaryEvent(QStringLiteral("e%1").arg(i));
        log.endBatch();
        QCOMPARE(log.droppedCount(), 4);
        QCOMPARE(events(), (QStringList{SummaryLog::droppedText(4, 5), QStringLiteral("e5"),
                                        QStringLiteral("e6"), QStringLiteral("e7"),
                                        QStringLiteral("e8"), QStringLiteral("e9")}));
        QVERIFY(SummaryLog::droppedText(4, 5).startsWith(QStringLiteral("4 older events")));

        // A batch larger than the limit keeps its own latest lines.
        log.beginBatch();
        for (int i = 10; i <= 30; ++i)
            log.AddSummaryEvent(QStringLiteral("e%1").arg(i));
        log.endBatch();
        QCOMPARE(log.droppedCount(), 25);
        QCOMPARE(events().mid(1),
                 (QStringList{QStringLiteral("e26"), QStringLiteral("e27"), QStringLiteral("e28"),
                              QStringLiteral("e29"), QStringLiteral("e30")}));
        // Saved with the rest.
        QCOMPARE(ListExporter::fromModel(log, QStringLiteral("x")).rows.size(), 6);
    }
};

QTEST_MAIN(TestSummary)
#include "test_summary.moc"
