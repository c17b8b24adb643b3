#include "mainwin/EchoCounters.h"

#include <QFile>
#include <QList>

namespace wv {

ProcSnmpEchoCounters::ProcSnmpEchoCounters(QString path) : m_path(std::move(path)) {}

std::optional<EchoCounters> ProcSnmpEchoCounters::read()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parse(file.readAll());
}

std::optional<EchoCounters> ProcSnmpEchoCounters::parse(const QByteArray &snmp)
{
    // Column positions come from the header line, since kernels have added
    // columns (InCsumErrors) over time.
    QList<QByteArray> header;
    for (const QByteArray &raw : snmp.split('\n')) {
        const QByteArray line = raw.simplified();
        if (!line.startsWith("Icmp: "))
            continue;
        const QList<QByteArray> fields = line.split(' ');
        if (header.isEmpty()) {
            header = fields;
            continue;
        }
        const qsizetype echos = header.indexOf("InEchos");
        const qsizetype reps = header.indexOf("InEchoReps");
        if (echos < 1 || reps < 1 || fields.size() != header.size())
            return std::nullopt;
        bool ok1 = false, ok2 = false;
        EchoCounters c{fields[echos].toLongLong(&ok1), fields[reps].toLongLong(&ok2)};
        if (!ok1 || !ok2)
            return std::nullopt;
        return c;
    }
    return std::nullopt;
}

} // namespace wv
