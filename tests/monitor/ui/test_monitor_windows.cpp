#include "monitor/CacheEditorModel.h"
#include "monitor/DnsCache.h"
#include "monitor/FriendlyNames.h"
#include "monitor/RecognizedNamesModel.h"
#include "monitor/ui/RecognizedNamesList.h"
#include "monitor/ui/TfrmCacheEditor.h"
#include "monitor/ui/TfrmRecognize.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

using namespace wv;

class TestMonitorWindows : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    static QByteArray read(const QString &p)
    {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private Q_SLOTS:
    void init()
    {
        QFile::remove(path("wvnfnames.ini"));
        QFile::remove(path("wvncache.ini"));
    }

    void recognizeRequiresAllThreeBoxes_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("focused");
        QTest::newRow("all empty") << ""
                                   << ""
                                   << ""
                                   << "edName";
        QTest::newRow("no host") << ""
                                 << "10.0.0.1"
                                 << "Office"
                                 << "edHost";
        QTest::newRow("no address") << "mail"
                                    << ""
                                    << "Office"
                                    << "edIP";
        QTest::newRow("blank name") << "mail"
                                    << "10.0.0.1"
                                    << "   "
                                    << "edName";
    }
    void recognizeRequiresAllThreeBoxes()
    {
        QFETCH(QString, host);
        QFETCH(QString, ip);
        QFETCH(QString, name);
        QFETCH(QString, focused);
        FriendlyNames names(path("wvnfnames.ini"));
        TfrmRecognize dialog(names);
        dialog.setTexts(host, ip, name);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QApplication::setActiveWindow(&dialog);
        QTest::mouseClick(dialog.btnOK, Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
        QWidget *expected = focused == QLatin1String("edName")   ? dialog.edName
                            : focused == QLatin1String("edHost") ? dialog.edHost
                                                                 : dialog.edIP;
        QTRY_COMPARE(QApplication::focusWidget(), expected);
        QVERIFY(!QFile::exists(path("wvnfnames.ini")));
    }

    void recognizeWritesBothSectionsOnEnter()
    {
        FriendlyNames names(path("wvnfnames.ini"));
        QSignalSpy changed(&names, &FriendlyNames::changed);
        TfrmRecognize dialog(names);
        dialog.setTexts(QStringLiteral("mail.example"), QStringLiteral("10.0.0.1"),
                        QStringLiteral("Mail"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClick(dialog.edName, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(read(path("wvnfnames.ini")),
                 QByteArray("[Hostname]\nmail.example=Mail\n[IP]\n10.0.0.1=Mail\n"));
    }

    void recognizedListFillsAndDeletes()
    {
        QFile f(path("wvnfnames.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Hostname]\na.example=A\nb.example=B\n[IP]\n10.0.0.1=B\n");
        f.close();
        FriendlyNames names(path("wvnfnames.ini"));
        RecognizedNamesList list(names);
        list.RefreshRecognized();
        QCOMPARE(list.model()->rowCount(), 2);
        QCOMPARE(list.model()->index(1, RecognizedNamesModel::HostColumn).data().toString(),
                 QStringLiteral("b.example"));
        QCOMPARE(list.model()->index(1, RecognizedNamesModel::AddressColumn).data().toString(),
                 QString());
        list.lvRecognized->setCurrentIndex(list.model()->index(0, 0));
        QTest::mouseClick(list.btnDelete, Qt::LeftButton);
        QCOMPARE(list.model()->rowCount(), 1);
        QCOMPARE(read(path("wvnfnames.ini")), QByteArray("[Hostname]\nb.example=B\n[IP]\n"));
    }

    void cacheEditorOnAnEmptyCache()
    {
        DnsCache cache(path("wvncache.ini"));
        QPointer<TfrmCacheEditor> editor = new TfrmCacheEditor(cache);
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        QCOMPARE(editor->model()->rowCount(), 5);
        QCOMPARE(editor->model()->index(4, 0).data().toString(), QStringLiteral("5"));
        QCOMPARE(editor->lblEntries->text(), QStringLiteral("Cache entries: 0"));
        QCOMPARE(editor->lblCreated->text(), QStringLiteral("Date created :???"));
        QCOMPARE(editor->statusText->text(), QStringLiteral("Ready"));
        QCOMPARE(editor->grid->columnWidth(2), 210);
        QVERIFY(editor->grid->isEnabled() && editor->toolBar->isEnabled());
        editor->actDiscard->trigger();
        QTRY_VERIFY(editor.isNull());
        QVERIFY(!QFile::exists(path("wvncache.ini")));
    }

    void cacheEditorRenamesATimedOutAddressAndCommits()
    {
        QFile f(path("wvncache.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Main]\ncreated=stamp\n[Cache]\n192.0.2.7=192.0.2.7\n10.0.0.1=one\n");
        f.close();
        DnsCache cache(path("wvncache.ini"));
        QPointer<TfrmCacheEditor> editor = new TfrmCacheEditor(cache);
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        QCOMPARE(editor->lblEntries->text(), QStringLiteral("Cache entries: 2"));
        QCOMPARE(editor->lblCreated->text(), QStringLiteral("Date created :stamp"));

        // Type the new name into the grid, the way the user does.
        const QModelIndex host = editor->model()->index(0, CacheEditorModel::HostColumn);
        // Every cell edits as soon as it is current.
        editor->grid->setCurrentIndex(host);
        auto *line = editor->grid->viewport()->findChild<QLineEdit *>();
        QVERIFY(line);
        line->selectAll();
        QTest::keyClicks(line, QStringLiteral("printer.lan"));

        editor->setMenuRow(1);
        editor->actDeleteEntry->trigger();
        editor->actAddEntries->trigger();
        QCOMPARE(editor->model()->rowCount(), 7);
        QCOMPARE(editor->model()->index(6, 0).data().toString(), QStringLiteral("7"));
        QCOMPARE(editor->grid->currentIndex().row(), 2);

        editor->actCommit->trigger();
        QTRY_VERIFY(editor.isNull());
        QCOMPARE(read(path("wvncache.ini")),
                 QByteArray("[Main]\ncreated=stamp\n[Cache]\n192.0.2.7=printer.lan\n"));
    }
};

QTEST_MAIN(TestMonitorWindows)
#include "test_monitor_windows.moc"
