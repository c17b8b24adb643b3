#include "refresh/TrafficText.h"

#include "refresh/ConnectionRecord.h"
#include "refresh/SnapshotSource.h"

namespace wv {

QString processText(qint64 pid, const QString &program)
{
    if (pid <= 0)
        return {};
    const QString number = QString::number(pid);
    return program.isEmpty() ? number : program + QStringLiteral(" (") + number + QLatin1Char(')');
}

QString byteCountText(qint64 bytes)
{
    if (bytes < 0)
        return {};
    QString digits = QString::number(bytes);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(','));
    return digits;
}

QString rateText(qint64 bytesPerSecond)
{
    if (bytesPerSecond < 0)
        return {};
    return byteCountText(bytesPerSecond) + QStringLiteral(" B/s");
}

bool takeTraffic(ConnectionRecord &record, const SnapshotRow &row, qint64 nowMs)
{
    const ConnectionRecord before = record;
    record.pid = row.pid;
    record.program = row.program;
    if (row.bytesSent >= 0 && row.bytesReceived >= 0) {
        const qint64 moved = row.bytesSent + row.bytesReceived;
        const qint64 had = record.bytesSent + record.bytesReceived;
        const qint64 elapsed = nowMs - record.trafficAtMs;
        if (record.bytesSent >= 0 && record.bytesReceived >= 0 && moved >= had && elapsed > 0)
            record.rate = (moved - had) * 1000 / elapsed;
        else
            record.rate = -1;
        record.trafficAtMs = nowMs;
    } else {
        record.rate = -1;
    }
    record.bytesSent = row.bytesSent;
    record.bytesReceived = row.bytesReceived;
    return record.pid != before.pid || record.program != before.program ||
           record.bytesSent != before.bytesSent || record.bytesReceived != before.bytesReceived ||
           record.rate != before.rate;
}

} // namespace wv
