#pragma once

#include <QApplication>
#include <QPointer>

#include <exception>
#include <functional>
#include <optional>

namespace wv {

class TfrmError;

// The application object. Every exception that leaves an event handler (a
// slot, a timer, a command) ends here instead of ending the process: the
// handler writes "*** Exception! ***" to the debug trace, creates the error
// window when it does not exist yet, puts the message into it and shows it
// modally. After "Continue" the event loop goes on. Errors raised while the
// window is already open are added to its text instead of stacking windows;
// errors in a worker thread's event loop are shown by the user-interface
// thread.
//
//   int main(int argc, char **argv) { wv::WvApplication app(argc, argv); ...; return app.exec(); }
class WvApplication : public QApplication
{
    Q_OBJECT
public:
    // Turns an exception of a class not derived from std::exception into a
    // message; returns nothing for classes it does not know.
    using ExceptionDescriber = std::function<std::optional<QString>(std::exception_ptr)>;

    WvApplication(int &argc, char **argv);
    ~WvApplication() override;

    bool notify(QObject *receiver, QEvent *event) override;

    void addExceptionDescriber(ExceptionDescriber describer);
    // Creates the error window ahead of need (start-up does so).
    TfrmError *errorWindow();
    // Shows a message in the error window as an uncaught exception would.
    void showException(const QString &message);
    // Reports an exception caught by a command before it could unwind through
    // Qt's own frames (which are built without clean-ups and would leak the
    // event copies they hold): the same message and window as notify() gives.
    void handleException(std::exception_ptr error);
    // Number of exceptions handled so far.
    int exceptionCount() const { return m_count; }

    static WvApplication *instance();

private:
    QString describe(std::exception_ptr error) const;

    QPointer<TfrmError> m_errorWindow;
    QList<ExceptionDescriber> m_describers;
    bool m_showing = false;
    int m_count = 0;
};

} // namespace wv
