// Looks ports up in arbitrary database files. The first two input bytes pick
// the port (plus a few out-of-range values), the rest is the file.

#include "monitor/portdb/PortDatabase.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("portdb.qpd"));
    if (size < 2)
        return 0;
    const qint32 picked = data[0] | (data[1] << 8);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char *>(data + 2), static_cast<qint64>(size - 2));
    file.close();

    // Small files are mostly a short index; map the port into it so that the
    // record paths are reached, and also try the value as given.
    const qint64 indexPorts = (static_cast<qint64>(size) - 2 - 15) / 4;
    const qint32 ports[] = {picked, indexPorts > 0 ? static_cast<qint32>(picked % indexPorts) : 0,
                            -1 - picked, 65536 + picked};
    for (qint32 port : ports) {
        wv::TPortInfo info;
        QString failure;
        wv::LoadPort(path, port, info, &failure);
        if (info.Found && (info.Port != port || !failure.isEmpty()))
            __builtin_trap();
        if (!info.Found && failure.isEmpty())
            __builtin_trap();
    }
    return 0;
}
