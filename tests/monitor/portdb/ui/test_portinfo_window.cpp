// The port information window, offscreen.

#include "monitor/portdb/PortDatabase.h"
#include "monitor/portdb/PortDatabaseWriter.h"
#include "monitor/portdb/PortHistory.h"
#include "monitor/portdb/ui/TfrmPortInfo.h"
#include "settings/RegistryStore.h"
#include "tests/support/ModalDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>
#include <QtTest>

using namespace wv;

class TestPortInfoWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void opensEmpty();
    void showsFourLinesButNeverText2();
    void titleShowsAskedPortWhenNotFound();
    void portBoxTakesOnlyDigits();
    void enterFindsAndHistoryRoundTrips();
    void historyKeepsEightNewestFirst();
    void badInputKeepsWhatIsShown();
    void suggestNeedsALookUp();
    void savesTheShownLines();
    void escapeClosesAndDeletes();
    void showPortInfoMakesModalWindowOrReportsMissingDatabase();

private:
    TfrmPortInfo *makeWindow();
    // Closes the next modal window (a message box or the port window) once
    // the event loop runs, handing it to inspect first.
    void closeNextModal(std::function<void(QWidget *)> inspect = {});

    QTemporaryDir m_dir;
    QString m_db;
    std::unique_ptr<RegistryStore> m_registry;
    QPointer<TfrmPortInfo> m_window;
};

void TestPortInfoWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("WIREVANE_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("home"))));
    qputenv("WIREVANE_DATA", QFile::encodeName(m_dir.filePath(QStringLiteral("data"))));
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("data"))));
    m_db = m_dir.filePath(QStringLiteral("data/portdb.qpd"));
    PortDatabaseWriter writer;
    writer.add(22, {QStringLiteral("ssh"), QStringLiteral("SECRET-PROTOCOLS"),
                    QStringLiteral("The Secure Shell"), QStringLiteral("Line one\nLine two")});
    writer.add(0, {QString(), QString(), QString(), QString()});
    QVERIFY(writer.writeFile(m_db));
}

void TestPortInfoWindow::init()
{
    QFile::remove(m_dir.filePath(QStringLiteral("registry.ini")));
    m_registry = std::make_unique<RegistryStore>(m_dir.filePath(QStringLiteral("registry.ini")));
}

void TestPortInfoWindow::cleanup()
{
    delete m_window.data();
    m_registry.reset();
}

TfrmPortInfo *TestPortInfoWindow::makeWindow()
{
    delete m_window.data();
    m_window = new TfrmPortInfo(nullptr, m_registry.get());
    m_window->setDatabasePath(m_db);
    m_window->show();
    return m_window;
}

void TestPortInfoWindow::closeNextModal(std::function<void(QWidget *)> inspect)
{
    wv::test::closeNextModal(std::move(inspect));
}

void TestPortInfoWindow::opensEmpty()
{
    TfrmPortInfo *w = makeWindow();
    QCOMPARE(w->windowTitle(), QStringLiteral("Port Information"));
    QCOMPARE(w->titleText(), QStringLiteral("Port Info"));
    QCOMPARE(w->titleShadowLabel()->text(), QStringLiteral("Port Info"));
    QVERIFY(w->lines().isEmpty());
    QVERIFY(w->isModal());
    QVERIFY(w->textArea()->isReadOnly());
}

void TestPortInfoWindow::showsFourLinesButNeverText2()
{
    TfrmPortInfo *w = makeWindow();
    w->showPort(22);
    QCOMPARE(w->titleText(), QStringLiteral("22"));
    QCOMPARE(w->titleShadowLabel()->text(), QStringLiteral("22"));
    QCOMPARE(w->lines(), QStringList({"[ssh]", "The Secure Shell", "", "Line one", "Line two"}));
    QVERIFY(!w->textArea()->toPlainText().contains(QLatin1String("SECRET")));

    // A record of four empty strings, and the area is cleared between look-ups.
    w->showPort(0);
    QCOMPARE(w->lines(), QStringList({"[]", "", "", ""}));
}

void TestPortInfoWindow::titleShowsAskedPortWhenNotFound()
{
    TfrmPortInfo *w = makeWindow();
    for (qint32 port : {7, 65536, -1}) {
        w->showPort(port);
        QCOMPARE(w->titleText(), QString::number(port));
        QCOMPARE(w->titleShadowLabel()->text(), QString::number(port));
        QCOMPARE(w->lines(), QStringList{QStringLiteral("Port not found.")});
    }
}

void TestPortInfoWindow::portBoxTakesOnlyDigits()
{
    TfrmPortInfo *w = makeWindow();
    QLineEdit *edit = w->portBox()->lineEdit();
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("2a-2 x."));
    // Digits of other scripts are no port digits either.
    for (const QString &digit : {QStringLiteral("\u00b2"), QStringLiteral("\u0663")})
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, digit, Qt::NoModifier);
    QCOMPARE(edit->text(), QStringLiteral("22"));
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), QStringLiteral("2"));
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Delete);
    QCOMPARE(edit->text(), QString());
}

void TestPortInfoWindow::enterFindsAndHistoryRoundTrips()
{
    TfrmPortInfo *w = makeWindow();
    QLineEdit *edit = w->portBox()->lineEdit();
    // An empty box looks nothing up.
    QTest::mouseClick(w->findButton(), Qt::LeftButton);
    QCOMPARE(w->titleText(), QStringLiteral("Port Info"));

    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("22"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(w->titleText(), QStringLiteral("22"));
    QCOMPARE(w->lines().value(0), QStringLiteral("[ssh]"));
    QCOMPARE(edit->selectedText(), QStringLiteral("22"));

    edit->setText(QStringLiteral("8080"));
    w->btnFindClick();
    QCOMPARE(w->lines(), QStringList{QStringLiteral("Port not found.")});
    QCOMPARE(m_registry->readString(PortHistory::kKeyPath, QStringLiteral("Item1")),
             QStringLiteral("8080"));
    QCOMPARE(m_registry->readString(PortHistory::kKeyPath, QStringLiteral("Item2")),
             QStringLiteral("22"));

    // A new window reads the history back, newest first.
    RegistryStore reread(m_dir.filePath(QStringLiteral("registry.ini")));
    m_registry = std::make_unique<RegistryStore>(m_dir.filePath(QStringLiteral("registry.ini")));
    TfrmPortInfo *again = makeWindow();
    QCOMPARE(again->portBox()->count(), 2);
    QCOMPARE(again->portBox()->itemText(0), QStringLiteral("8080"));
    QCOMPARE(again->portBox()->itemText(1), QStringLiteral("22"));
    QCOMPARE(again->portBox()->currentText(), QString());
}

void TestPortInfoWindow::historyKeepsEightNewestFirst()
{
    PortHistory history(*m_registry);
    for (int i = 1; i <= 10; ++i)
        history.add(QString::number(i));
    QCOMPARE(history.load(), QStringList({"10", "9", "8", "7", "6", "5", "4", "3"}));
    QCOMPARE(history.add(QStringLiteral("5")),
             QStringList({"5", "10", "9", "8", "7", "6", "4", "3"}));
    // Loading stops at the first empty value.
    m_registry->writeString(PortHistory::kKeyPath, QStringLiteral("Item3"), QString());
    QCOMPARE(history.load(), QStringList({"5", "10"}));
}

void TestPortInfoWindow::badInputKeepsWhatIsShown()
{
    TfrmPortInfo *w = makeWindow();
    w->showPort(22);
    const QStringList before = w->lines();

    // Pasted text that is no number.
    w->portBox()->lineEdit()->setText(QStringLiteral("ssh"));
    QString shown;
    closeNextModal([&](QWidget *box) {
        if (auto *mb = qobject_cast<QMessageBox *>(box))
            shown = mb->windowTitle() + QLatin1Char(':') + mb->text();
    });
    w->btnFindClick();
    QVERIFY(shown.startsWith(QLatin1String("Error:")));
    QVERIFY(shown.contains(QLatin1String("'ssh'")));
    QCOMPARE(w->lines(), before);
    QCOMPARE(w->titleText(), QStringLiteral("22"));

    // A database that cannot be opened.
    w->setDatabasePath(m_dir.filePath(QStringLiteral("missing.qpd")));
    w->portBox()->lineEdit()->setText(QStringLiteral("80"));
    shown.clear();
    closeNextModal([&](QWidget *box) {
        if (auto *mb = qobject_cast<QMessageBox *>(box))
            shown = mb->text();
    });
    w->btnFindClick();
    QVERIFY(shown.contains(QLatin1String("missing.qpd")));
    QCOMPARE(w->lines(), before);
    QCOMPARE(w->titleText(), QStringLiteral("22"));
}

void TestPortInfoWindow::suggestNeedsALookUp()
{
    TfrmPortInfo *w = makeWindow();
    QStringList opened;
    w->setUrlOpener([&](const QString &url) { opened << url; });
    w->btnSuggestClick();
    QVERIFY(opened.isEmpty());

    m_registry->writeString(PortSuggestion::kKeyPath, PortSuggestion::kValueName,
                            QStringLiteral("ports@example.net"));
    w->showPort(7);
    w->btnSuggestClick();
    QCOMPARE(opened.size(), 1);
    const QUrl url(opened.first());
    QCOMPARE(url.scheme(), QStringLiteral("mailto"));
    QCOMPARE(url.path(), QStringLiteral("ports@example.net"));
    QCOMPARE(QUrlQuery(url).queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded),
             QStringLiteral("[WVN] PortInfo Suggestion for port 7"));

    m_registry->deleteValue(PortSuggestion::kKeyPath, PortSuggestion::kValueName);
    QCOMPARE(PortSuggestion::address(*m_registry), PortSuggestion::kDefaultAddress);
}

void TestPortInfoWindow::savesTheShownLines()
{
    TfrmPortInfo *w = makeWindow();
    w->showPort(22);
    const QString target = m_dir.filePath(QStringLiteral("saved"));
    QString caption;
    closeNextModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        QVERIFY(dialog);
        caption = dialog->windowTitle();
        dialog->selectFile(target);
        static_cast<QDialog *>(dialog)->accept();
    });
    w->btnSaveClick();
    QCOMPARE(caption, QStringLiteral("Save port information to file"));
    QFile saved(target + QStringLiteral(".txt"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("[ssh]\nThe Secure Shell\n\nLine one\nLine two\n"));
}

void TestPortInfoWindow::escapeClosesAndDeletes()
{
    for (bool escape : {true, false}) {
        QPointer<TfrmPortInfo> w = makeWindow();
        if (escape)
            QTest::keyClick(w->portBox()->lineEdit(), Qt::Key_Escape);
        else
            QTest::mouseClick(w->closeButton(), Qt::LeftButton);
        QVERIFY(!w->isVisible());
        QTRY_VERIFY(w.isNull());
    }
}

void TestPortInfoWindow::showPortInfoMakesModalWindowOrReportsMissingDatabase()
{
    QString title;
    QStringList lines;
    closeNextModal([&](QWidget *modal) {
        auto *w = qobject_cast<TfrmPortInfo *>(modal);
        QVERIFY(w);
        title = w->titleText();
        lines = w->lines();
        // The open window is the one that ShowPortInfo without a new window fills.
        ShowPortInfo(8080, false);
        lines << w->titleText();
    });
    ShowPortInfo(22, true);
    QCOMPARE(title, QStringLiteral("22"));
    QCOMPARE(lines.value(0), QStringLiteral("[ssh]"));
    QCOMPARE(lines.last(), QStringLiteral("8080"));
    QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty() ||
                !std::any_of(QApplication::topLevelWidgets().cbegin(),
                             QApplication::topLevelWidgets().cend(),
                             [](QWidget *t) { return qobject_cast<TfrmPortInfo *>(t); }));

    // Without a database the window is never shown and the error reaches the caller.
    QFile::rename(m_db, m_db + QStringLiteral(".away"));
    bool thrown = false;
    try {
        ShowPortInfo(22, true);
    } catch (const EPortDatabaseOpenError &) {
        thrown = true;
    }
    QFile::rename(m_db + QStringLiteral(".away"), m_db);
    QVERIFY(thrown);
    const auto tops = QApplication::topLevelWidgets();
    QVERIFY(std::none_of(tops.cbegin(), tops.cend(),
                         [](QWidget *t) { return qobject_cast<TfrmPortInfo *>(t) != nullptr; }));
}

QTEST_MAIN(TestPortInfoWindow)
#include "test_portinfo_window.moc"
