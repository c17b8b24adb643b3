#include "settings/AtomicFile.h"

#include <QSaveFile>

namespace wv {

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error,
                         bool *createFailed)
{
    // QSaveFile writes to a temporary file in the same folder, syncs it to the
    // disk on commit() and only then renames it over the target.
    QSaveFile file(path);
    const bool opened = file.open(QIODevice::WriteOnly);
    if (createFailed)
        *createFailed = !opened;
    if (opened && file.write(bytes) == bytes.size() && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

} // namespace wv
