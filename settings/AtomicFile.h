#pragma once

#include <QByteArray>
#include <QString>

namespace wv {

// Writes `bytes` to a temporary file beside `path`, flushes it to the disk
// and renames it over `path`, so that a crash or a full disk never leaves a
// half-written file: the old file stays whole until the new one is complete.
// On failure returns false with the reason in *error (when given);
// *createFailed tells whether the temporary file could not even be created.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr,
                         bool *createFailed = nullptr);

} // namespace wv
