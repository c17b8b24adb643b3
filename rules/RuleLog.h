#pragma once

#include <QDateTime>
#include <QString>

namespace wv {

// The log file rules write to: wvnlog.txt in the per-user folder.
namespace RuleLog {

inline constexpr const char *FileName = "wvnlog.txt";

QString defaultPath();
// The date and time as the log and the alert e-mail write them.
QString stamp(const QDateTime &when);

// Appends one time-stamped line; a new file starts with a header line and an
// empty line. Failures write "WriteLog error" to the debug trace and are
// otherwise ignored; returns whether the line was written.
bool WriteLog(const QString &text, const QString &path = defaultPath(),
              const QDateTime &when = QDateTime::currentDateTime());

} // namespace RuleLog

// Starts playing a sound file through the desktop's player (pw-play, paplay
// or aplay, the first one installed) without waiting. A missing file, player
// or sound device is silent. Returns whether a player was started.
bool PlaySoundFile(const QString &file);

} // namespace wv
