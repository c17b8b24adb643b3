#include "monitor/portdb/PortDatabaseWriter.h"

#include "monitor/portdb/PortDatabase.h"
#include "settings/AtomicFile.h"

#include <QtEndian>

namespace wv {

namespace {

void appendU32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

bool holdsNul(const QString &text)
{
    return text.contains(QChar(0));
}

} // namespace

bool PortDatabaseWriter::add(int port, const Record &record)
{
    if (port < 0 || port >= PortDatabase::kPortCount)
        return false;
    if (holdsNul(record.name) || holdsNul(record.text2) || holdsNul(record.text3) ||
        holdsNul(record.text4))
        return false;
    m_records.insert(port, record);
    return true;
}

QByteArray PortDatabaseWriter::toBytes() const
{
    QByteArray records;
    QList<quint32> index(PortDatabase::kPortCount, 0);
    for (auto it = m_records.cbegin(); it != m_records.cend(); ++it) {
        const qint64 offset = PortDatabase::kFirstRecordOffset + records.size();
        Q_ASSERT(offset <= std::numeric_limits<quint32>::max());
        index[it.key()] = static_cast<quint32>(offset);
        QByteArray block;
        for (const QString *text : {&it->name, &it->text2, &it->text3, &it->text4}) {
            block += text->toUtf8();
            block += '\0';
        }
        appendU32(records, static_cast<quint32>(it.key()));
        appendU32(records, static_cast<quint32>(block.size()));
        records += block;
    }

    QByteArray out;
    out.reserve(PortDatabase::kFirstRecordOffset + records.size());
    out.append(PortDatabase::kMagic, PortDatabase::kMagicSize);
    for (quint32 entry : index)
        appendU32(out, entry);
    out += records;
    return out;
}

bool PortDatabaseWriter::writeFile(const QString &path, QString *error) const
{
    const QByteArray bytes = toBytes();
    return writeFileAtomically(path, bytes, error);
}

} // namespace wv
