#include "components/ui/WvApplication.h"

#include "components/ui/TfrmError.h"
#include "settings/DebugTrace.h"

#include <QThread>

namespace wv {

WvApplication::WvApplication(int &argc, char **argv) : QApplication(argc, argv) {}

WvApplication::~WvApplication()
{
    delete m_errorWindow.data();
}

WvApplication *WvApplication::instance()
{
    return qobject_cast<WvApplication *>(QCoreApplication::instance());
}

bool WvApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        handleException(std::current_exception());
    }
    return false;
}

void WvApplication::handleException(std::exception_ptr error)
{
    const QString message = describe(error);
    if (QThread::currentThread() == thread()) {
        showException(message);
    } else {
        // Windows belong to the user-interface thread: an error in a
        // worker thread's event loop is shown from there.
        QMetaObject::invokeMethod(
            this, [this, message] { showException(message); }, Qt::QueuedConnection);
    }
}

void WvApplication::addExceptionDescriber(ExceptionDescriber describer)
{
    m_describers.append(std::move(describer));
}

QString WvApplication::describe(std::exception_ptr error) const
{
    for (const ExceptionDescriber &t : m_describers) {
        try {
            if (std::optional<QString> text = t(error))
                return *text;
        } catch (...) {
            // A describer that throws knows nothing about this exception.
        }
    }
    try {
        std::rethrow_exception(error);
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown exception.");
    }
}

TfrmError *WvApplication::errorWindow()
{
    if (!m_errorWindow)
        m_errorWindow = new TfrmError;
    return m_errorWindow;
}

void WvApplication::showException(const QString &message)
{
    ++m_count;
    DebugLog(QStringLiteral("*** Exception! ***"));
    TfrmError *w = errorWindow();
    if (m_showing) {
        w->appendMessage(message);
        return;
    }
    m_showing = true;
    w->setMessage(message);
    w->exec();
    m_showing = false;
}

} // namespace wv
