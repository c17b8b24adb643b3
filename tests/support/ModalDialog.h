#pragma once

// Helpers for window tests that must answer a modal dialog: the dialog's
// exec() blocks the test until something closes it, so the answer is set up
// before the dialog opens and runs from the event loop once it is up.

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace wv::test {

// Calls `act` once a modal dialog of type T is up, polling every 10 ms; gives
// up after `timeoutMs` (the test then fails on what the dialog should have
// done).
template <typename T> void whenModal(std::function<void(T *)> act, int timeoutMs = 5000)
{
    auto *poll = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, [poll, act, started, timeoutMs] {
        if (T *w = qobject_cast<T *>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(w);
        } else if (started->elapsed() > timeoutMs) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(10);
}

// Closes the next modal dialog once it is up, after `inspect` has seen it.
inline void closeNextModal(std::function<void(QWidget *)> inspect = {}, int timeoutMs = 5000)
{
    whenModal<QWidget>(
        [inspect](QWidget *modal) {
            if (inspect)
                inspect(modal);
            modal->close();
        },
        timeoutMs);
}

} // namespace wv::test
