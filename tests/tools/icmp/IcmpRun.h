#pragma once

#include "tools/icmp/TMSicmp.h"

#include <QList>
#include <QString>

namespace wv::test {

struct HopSeen
{
    int ttl = 0;
    QString address;
    qint32 status = 0;
    QString text;
    quint32 time = 0;
    bool answered = false;
};

struct TaskRun
{
    QList<HopSeen> hops;
    bool finished = false;
    bool failed = false;
    qint32 errorCode = 0;
    QString errorText;
    int finalTtl = 0;
};

// Starts a task and waits (bounded) for its end; onData runs after each hop
// is recorded.
TaskRun runTask(TMSicmpTask &task, const QString &target, int limitMs = 60000,
                const std::function<void()> &onData = {});

} // namespace wv::test
