#include "tests/tools/icmp/IcmpRun.h"

#include "tools/icmp/IcmpStatus.h"

#include <QEventLoop>
#include <QTimer>

namespace wv::test {

TaskRun runTask(TMSicmpTask &task, const QString &target, int limitMs,
                const std::function<void()> &onData)
{
    TaskRun run;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto data = QObject::connect(&task, &TMSicmpTask::OnData, &loop, [&] {
        run.hops.append({task.CurrentTTL(), task.HopAddress(), task.Status(), task.StatusText(),
                         task.RoundTripTime(), task.Reply().Address != IcmpEchoReply::NoAddress});
        if (onData)
            onData();
    });
    const auto finished = QObject::connect(&task, &TMSicmpTask::OnFinished, &loop, [&] {
        run.finished = true;
        run.finalTtl = task.CurrentTTL();
        loop.quit();
    });
    const auto error = QObject::connect(&task, &TMSicmp::OnError, &loop,
                                        [&](QObject *, qint32 code, const QString &t) {
                                            // A refused second start leaves the running task alone.
                                            if (code == IcmpStatus::InProgress)
                                                return;
                                            run.failed = true;
                                            run.errorCode = code;
                                            run.errorText = t;
                                            loop.quit();
                                        });
    task.Start(target);
    if (task.Busy()) {
        limit.start(limitMs);
        loop.exec();
    }
    QObject::disconnect(data);
    QObject::disconnect(finished);
    QObject::disconnect(error);
    return run;
}

} // namespace wv::test
