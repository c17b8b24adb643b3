#pragma once

#include <QString>
#include <QtGlobal>

namespace wv {

struct ConnectionRecord;
struct SnapshotRow;

// "python3 (4242)"; empty when the owner is unknown.
QString processText(qint64 pid, const QString &program);
// A byte count with thousands separators ("100,000"); empty when unknown (< 0).
QString byteCountText(qint64 bytes);
// "1,234 B/s"; empty when unknown (< 0).
QString rateText(qint64 bytesPerSecond);

// Takes a snapshot row's owner and byte counts into a table row taken at
// nowMs; the rate is the bytes moved since the row's previous counts per
// second, unknown on the first counts or when the counts went backwards.
// Returns whether anything shown changed.
bool takeTraffic(ConnectionRecord &record, const SnapshotRow &row, qint64 nowMs);

} // namespace wv
