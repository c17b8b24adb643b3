#include "settings/programs/ProgramsList.h"
#include "settings/programs/ProgramsMenu.h"
#include "settings/programs/ProgramsModel.h"
#include "settings/programs/ui/TProgramsPage.h"
#include "settings/programs/ui/TfrmAddProgram.h"
#include "tests/support/ModalDialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace wv;
using wv::test::whenModal;

namespace {

QVector<ProgramEntry> list(std::initializer_list<std::pair<const char *, const char *>> items)
{
    QVector<ProgramEntry> out;
    for (const auto &[n, p] : items)
        out.append({QString::fromUtf8(n), QString::fromUtf8(p)});
    return out;
}

} // namespace

class TestProgramsUi : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void addProgramDialog();
    void programsPageCommands();
    void programsMenuLaunches();
};

void TestProgramsUi::addProgramDialog()
{
    QTemporaryDir dir;
    ProgramsList programs(dir.filePath(QStringLiteral("wvnprogs.ini")));
    {
        TfrmAddProgram dlg(programs);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Add Program"));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        dlg.fileEdit()->setFocus();
        dlg.btnOKClick();
        QVERIFY(dlg.isVisible());
        QVERIFY(dlg.nameEdit()->hasFocus());
        dlg.nameEdit()->setText(QStringLiteral("Mail"));
        dlg.btnOKClick();
        QVERIFY(dlg.fileEdit()->hasFocus());
        QVERIFY(programs.entries().isEmpty());

        dlg.nameEdit()->setText(QStringLiteral("a=b"));
        dlg.fileEdit()->setText(QStringLiteral("/usr/bin/mutt"));
        dlg.btnOKClick();
        QVERIFY(dlg.isVisible());
        QVERIFY(programs.entries().isEmpty());

        dlg.nameEdit()->setText(QStringLiteral("Mail"));
        QTest::mouseClick(dlg.okButton(), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(programs.entries(), list({{"Mail", "/usr/bin/mutt"}}));
    }
    {
        TfrmAddProgram dlg(programs);
        dlg.setEntry(QStringLiteral("Mail"), QStringLiteral("/usr/bin/mutt"));
        dlg.show();
        dlg.nameEdit()->setText(QStringLiteral("E-mail"));
        dlg.btnOKClick();
        QCOMPARE(programs.entries(), list({{"E-mail", "/usr/bin/mutt"}}));
    }
    {
        TfrmAddProgram dlg(programs);
        dlg.show();
        dlg.nameEdit()->setText(QStringLiteral("Other"));
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(programs.entries().size(), 1);
    }
}

void TestProgramsUi::programsPageCommands()
{
    QTemporaryDir dir;
    ProgramsList programs(dir.filePath(QStringLiteral("wvnprogs.ini")));
    programs.addProgram(QStringLiteral("Top"), QStringLiteral("/usr/bin/top"));
    programs.addProgram(QStringLiteral("Calc"), QStringLiteral("/usr/bin/bc"));
    TProgramsPage page(programs);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QCOMPARE(page.model()->rowCount(), 2);
    QVERIFY(!page.deleteButton()->isEnabled());

    // Edit by double-click: the dialog comes filled in and renames the entry.
    whenModal<TfrmAddProgram>([](TfrmAddProgram *d) {
        QCOMPARE(d->nameEdit()->text(), QStringLiteral("Calc"));
        d->nameEdit()->setText(QStringLiteral("Calculator"));
        d->btnOKClick();
    });
    page.list()->selectRow(1);
    QVERIFY(page.deleteButton()->isEnabled());
    const QModelIndex cell = page.model()->index(1, 1);
    const QPoint at = page.list()->visualRect(cell).center();
    // An item view takes a double-click only on the item the press was on.
    QTest::mousePress(page.list()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(page.list()->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(programs.entries(), list({{"Top", "/usr/bin/top"}, {"Calculator", "/usr/bin/bc"}}));
    QCOMPARE(page.model()->entry(1).name, QStringLiteral("Calculator"));

    page.list()->selectRow(0);
    page.btnDeleteClick();
    QCOMPARE(programs.entries(), list({{"Calculator", "/usr/bin/bc"}}));
    QCOMPARE(page.model()->rowCount(), 1);

    // "Clear all" asks first; Cancel is the default answer.
    QString question;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        question = box->windowTitle() + QLatin1Char('|') + box->text();
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::Cancel));
        QTest::keyClick(box, Qt::Key_Return);
    });
    page.btnClearAllClick();
    QCOMPARE(question,
             QStringLiteral("Confirm|Are you sure you want to clear all stored Programs?"));
    QCOMPARE(programs.entries().size(), 1);
    whenModal<QMessageBox>([](QMessageBox *box) { box->button(QMessageBox::Ok)->click(); });
    page.btnClearAllClick();
    QVERIFY(programs.entries().isEmpty());
    QCOMPARE(page.model()->rowCount(), 0);
    QVERIFY(!page.clearAllButton()->isEnabled());
}

void TestProgramsUi::programsMenuLaunches()
{
    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("ran.txt"));
    const QString script = dir.filePath(QStringLiteral("a folder/tool & co.sh"));
    QDir().mkpath(QFileInfo(script).absolutePath());
    {
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\necho ran > '" + marker.toLocal8Bit() + "'\n");
    }
    QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    ProgramsList programs(dir.filePath(QStringLiteral("wvnprogs.ini")));
    programs.addProgram(QStringLiteral("Tool & Co"), script);
    programs.addProgram(QStringLiteral("Other"), QStringLiteral("/bin/true"));

    QMenu menu;
    menu.addAction(QStringLiteral("stale entry"));
    populateProgramsMenu(&menu, RefreshProgramsMenu(programs));
    const QList<QAction *> actions = menu.actions();
    QCOMPARE(actions.size(), 2);
    QCOMPARE(actions[0]->text(), QStringLiteral("Tool && Co"));
    QCOMPARE(actions[0]->objectName(), QStringLiteral("progMenu0"));
    QCOMPARE(actions[0]->toolTip(), script);
    QCOMPARE(actions[1]->objectName(), QStringLiteral("progMenu1"));

    actions[0]->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);

    populateProgramsMenu(&menu, {});
    QVERIFY(menu.actions().isEmpty());
}

QTEST_MAIN(TestProgramsUi)
#include "test_programsui.moc"
