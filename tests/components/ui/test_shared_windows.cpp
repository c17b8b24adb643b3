#include "components/ui/TfrmDebug.h"
#include "components/ui/TfrmError.h"
#include "components/ui/TfrmSplash.h"
#include "components/ui/WvApplication.h"
#include "settings/DebugTrace.h"
#include "settings/RegistryStore.h"
#include "settings/SettingsStore.h"
#include "tests/support/ModalDialog.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <functional>
#include <stdexcept>

using namespace wv;
using wv::test::whenModal;

namespace {

class Thrower : public QObject
{
    Q_OBJECT
public:
    QString message;
    void fire() { throw std::runtime_error(message.toStdString()); }
};

struct OtherError
{
    int code;
};

} // namespace

class TestSharedWindows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void exceptionInSlotShowsErrorWindowAndContinues();
    void exceptionInButtonCommand();
    void exceptionInWorkerThread();
    void emergencyExitAndUnknownExceptions();
    void debugWindowShowsTraceClearsAndMinimizes();
    void splashClosesOnClickOrTimer();
};

void TestSharedWindows::exceptionInSlotShowsErrorWindowAndContinues()
{
    auto *app = WvApplication::instance();
    QVERIFY(app);
    debugTrace().setEnabled(true);
    debugTrace().clear();
    const int before = app->exceptionCount();

    Thrower first, second;
    first.message = QStringLiteral("boom in a command");
    second.message = QStringLiteral("second failure");
    QString shown;
    whenModal<TfrmError>([&](TfrmError *w) {
        // A further error while the window is open joins the same window.
        QTimer::singleShot(0, &second, &Thrower::fire);
        QTRY_VERIFY_WITH_TIMEOUT(w->message().contains(QStringLiteral("second failure")), 5000);
        shown = w->message();
        QTest::mouseClick(w->continueButton(), Qt::LeftButton);
    });
    QTimer::singleShot(0, &first, &Thrower::fire);

    bool alive = false;
    QTimer::singleShot(50, [&] { alive = true; });
    QTRY_VERIFY_WITH_TIMEOUT(alive && !QApplication::activeModalWidget(), 10000);
    QCOMPARE(app->exceptionCount(), before + 2);
    QCOMPARE(shown, QStringLiteral("boom in a command\nsecond failure"));
    QCOMPARE(app->errorWindow()->windowTitle(), QStringLiteral("Error"));
    QVERIFY(app->errorWindow()->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(debugTrace().text().contains(QStringLiteral("*** Exception! ***")));

    // The window is reused for the next error.
    QPointer<TfrmError> window = app->errorWindow();
    whenModal<TfrmError>([](TfrmError *w) { w->continueButton()->click(); });
    first.message = QStringLiteral("again");
    QTimer::singleShot(0, &first, &Thrower::fire);
    QTRY_COMPARE_WITH_TIMEOUT(app->exceptionCount(), before + 3, 10000);
    QCOMPARE(app->errorWindow(), window.data());
    QCOMPARE(window->message(), QStringLiteral("again"));
    debugTrace().setEnabled(false);
}

void TestSharedWindows::exceptionInButtonCommand()
{
    // A command run from a click unwinds through the widget's own handlers.
    auto *app = WvApplication::instance();
    const int before = app->exceptionCount();
    QPushButton button(QStringLiteral("&Refresh"));
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&clicks] {
        if (++clicks == 1)
            throw std::runtime_error("refresh failed");
    });
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    whenModal<TfrmError>([](TfrmError *w) { w->continueButton()->click(); });
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(app->exceptionCount(), before + 1);
    QCOMPARE(app->errorWindow()->message(), QStringLiteral("refresh failed"));
    // The button still works afterwards.
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicks, 2);
    QCOMPARE(app->exceptionCount(), before + 1);
}

void TestSharedWindows::exceptionInWorkerThread()
{
    auto *app = WvApplication::instance();
    const int before = app->exceptionCount();
    QThread worker;
    QObject inWorker;
    inWorker.moveToThread(&worker);
    worker.start();
    QString shown;
    whenModal<TfrmError>([&](TfrmError *w) {
        shown = w->message();
        w->continueButton()->click();
    });
    QMetaObject::invokeMethod(
        &inWorker, [] { throw std::runtime_error("worker failed"); }, Qt::QueuedConnection);
    QTRY_COMPARE_WITH_TIMEOUT(shown, QStringLiteral("worker failed"), 10000);
    QCOMPARE(app->exceptionCount(), before + 1);
    worker.quit();
    QVERIFY(worker.wait(5000));
}

void TestSharedWindows::emergencyExitAndUnknownExceptions()
{
    auto *app = WvApplication::instance();
    app->addExceptionDescriber([](std::exception_ptr e) -> std::optional<QString> {
        try {
            std::rethrow_exception(e);
        } catch (const OtherError &o) {
            return QStringLiteral("other error %1").arg(o.code);
        } catch (...) {
        }
        return std::nullopt;
    });
    bool exited = false;
    app->errorWindow()->setEmergencyExit([&] { exited = true; });
    QString shown;
    whenModal<TfrmError>([&](TfrmError *w) {
        shown = w->message();
        QTest::mouseClick(w->exitButton(), Qt::LeftButton);
        w->btnContinueClick();
    });
    QObject context;
    QTimer::singleShot(0, &context, [] { throw OtherError{7}; });
    QTRY_VERIFY_WITH_TIMEOUT(exited && !QApplication::activeModalWidget(), 10000);
    QCOMPARE(shown, QStringLiteral("other error 7"));

    whenModal<TfrmError>([&](TfrmError *w) {
        shown = w->message();
        w->btnContinueClick();
    });
    QTimer::singleShot(0, &context, [] { throw 42; });
    QTRY_COMPARE_WITH_TIMEOUT(shown, QStringLiteral("Unknown exception."), 10000);
}

void TestSharedWindows::debugWindowShowsTraceClearsAndMinimizes()
{
    DebugTrace trace;
    trace.setEnabled(true);
    trace.log(QStringLiteral("before the window"));
    TfrmDebug debug(trace);
    const QString header = QStringLiteral("--this window is safe to MINIMIZE--\n"
                                          "Starting WVN Pro Beta 4");
    QCOMPARE(debug.windowTitle(), QStringLiteral("Debug window"));
    QCOMPARE(debug.text(), header + QStringLiteral("\nbefore the window"));
    QVERIFY(!debug.isVisible());

    trace.log(QStringLiteral("ReadRegistry;"));
    QVERIFY(debug.text().endsWith(QStringLiteral("\nReadRegistry;")));

    QTest::mouseClick(debug.clearButton(), Qt::LeftButton);
    QCOMPARE(debug.text(), header);
    QVERIFY(trace.text().isEmpty());

    // Past 30000 characters the trace starts afresh, and so does the window.
    trace.log(QString(DebugTrace::MaxChars + 1, QLatin1Char('x')));
    trace.log(QStringLiteral("next line"));
    QCOMPARE(debug.text(), header + QStringLiteral("\nnext line"));

    // The debug window option brings it on screen when the options are applied.
    QTemporaryDir dir;
    RegistryStore registry(dir.filePath(QStringLiteral("registry.ini")));
    SettingsStore settings(registry);
    settings.addSink(&debug);
    settings.values().xDebugWindow = true;
    settings.ProcessOptions();
    QVERIFY(debug.isOnScreen());
    QVERIFY(debug.isVisible());
    // At the screen's left edge.
    QCOMPARE(debug.pos().x(), QGuiApplication::primaryScreen()->availableGeometry().left());
    // Closing hides it; the window stays for the next time.
    QVERIFY(!debug.close());
    QVERIFY(!debug.isVisible());
    QVERIFY(!debug.isOnScreen());
    // With the option off, applying the options never shows it.
    settings.values().xDebugWindow = false;
    settings.ProcessOptions();
    QVERIFY(!debug.isVisible());
    settings.values().xDebugWindow = true;
    settings.ProcessOptions();
    QVERIFY(debug.isVisible());

    QTest::mouseClick(debug.minimizeButton(), Qt::LeftButton);
    QTRY_VERIFY(debug.windowState() & Qt::WindowMinimized);
}

void TestSharedWindows::splashClosesOnClickOrTimer()
{
    QPointer<TfrmSplash> clicked = new TfrmSplash;
    clicked->showCentered();
    QVERIFY(clicked->findChildren<QLabel *>().size() == 2);
    QVERIFY(clicked->windowFlags() & Qt::WindowStaysOnTopHint);
    QTest::mouseClick(clicked.data(), Qt::LeftButton);
    QTRY_VERIFY(clicked.isNull());

    QPointer<TfrmSplash> timed = new TfrmSplash;
    timed->showCentered();
    QTest::qWait(50);
    QVERIFY(!timed.isNull()); // without its timer it stays
    timed->startTimer500();
    QTRY_VERIFY_WITH_TIMEOUT(timed.isNull(), 5000);
}

int main(int argc, char **argv)
{
    WvApplication app(argc, argv);
    TestSharedWindows tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "test_shared_windows.moc"
