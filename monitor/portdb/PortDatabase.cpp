#include "monitor/portdb/PortDatabase.h"

#include "settings/Paths.h"

#include <QFile>
#include <QStringDecoder>
#include <QtEndian>

#include <cstring>

namespace wv {

namespace {

// A failed look-up after the file was opened; caught inside LoadPort.
struct LookupFailure
{
    const char *reason;
};

void readExactly(QFile &file, char *buffer, qint64 size)
{
    if (file.read(buffer, size) != size)
        throw LookupFailure{PortDatabase::kReadError};
}

quint32 readU32(QFile &file)
{
    char bytes[4];
    readExactly(file, bytes, 4);
    return qFromLittleEndian<quint32>(bytes);
}

// Windows-1252 is Latin-1 except for 0x80..0x9F, which hold typographic
// characters; the five codes it leaves undefined stay the C1 controls, as
// Windows itself maps them.
QString fromWindows1252(QByteArrayView bytes)
{
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = (b >= 0x80 && b < 0xA0) ? QChar(high[b - 0x80]) : QChar(b);
    }
    return text;
}

QString decodeText(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return fromWindows1252(bytes);
    return text;
}

} // namespace

QString PortDatabase::defaultPath()
{
    return Paths::dataFile(QStringLiteral("portdb.qpd"));
}

QStringList TPortInfo::displayLines() const
{
    if (!Found)
        return {QStringLiteral("Port not found.")};
    return {QLatin1Char('[') + Name + QLatin1Char(']'), Text3, QString(), Text4};
}

EPortDatabaseOpenError::EPortDatabaseOpenError(const QString &fileName, const QString &reason)
    : std::runtime_error(
          QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, reason).toStdString())
{
}

void LoadPort(const QString &fileName, qint32 port, TPortInfo &info, QString *failure)
{
    // QFile gives no share modes on Linux; the file is only ever replaced
    // whole (rename) by installs and builds, so an open handle stays valid.
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EPortDatabaseOpenError(fileName, file.errorString());

    try {
        char magic[PortDatabase::kMagicSize];
        readExactly(file, magic, PortDatabase::kMagicSize);
        const QByteArrayView magicText(magic, qstrnlen(magic, sizeof magic));
        if (magicText != QByteArrayView(PortDatabase::kMagic))
            throw LookupFailure{PortDatabase::kInvalidDatabase};

        // The index has no count field; bound the port so that a number
        // outside the 16-bit range cannot pick an offset from the records.
        if (port < 0 || port >= PortDatabase::kPortCount)
            throw LookupFailure{PortDatabase::kPortNotFound};
        if (!file.seek(PortDatabase::kMagicSize + 4LL * port))
            throw LookupFailure{PortDatabase::kReadError};
        const quint32 offset = readU32(file);
        if (offset == 0)
            throw LookupFailure{PortDatabase::kPortNotFound};

        if (!file.seek(offset))
            throw LookupFailure{PortDatabase::kReadError};
        const qint32 recordPort = static_cast<qint32>(readU32(file));
        const quint32 length = readU32(file);
        if (recordPort != port)
            throw LookupFailure{PortDatabase::kCorruptDatabase};
        // Never allocate more than the file can hold: a damaged length must
        // not turn into a multi-gigabyte allocation.
        if (length > static_cast<quint64>(file.size() - file.pos()))
            throw LookupFailure{PortDatabase::kReadError};
        QByteArray block(static_cast<qsizetype>(length), Qt::Uninitialized);
        readExactly(file, block.data(), block.size());

        QString texts[4];
        qsizetype begin = 0;
        for (QString &text : texts) {
            const qsizetype end = block.indexOf('\0', begin);
            if (end < 0)
                throw LookupFailure{PortDatabase::kCorruptDatabase};
            text = decodeText(QByteArrayView(block).sliced(begin, end - begin));
            begin = end + 1;
        }

        info.Port = recordPort;
        info.Name = texts[0];
        info.Text2 = texts[1];
        info.Text3 = texts[2];
        info.Text4 = texts[3];
        info.Found = true;
        if (failure)
            failure->clear();
    } catch (const LookupFailure &f) {
        info.Found = false;
        if (failure)
            *failure = QString::fromLatin1(f.reason);
    }
}

} // namespace wv
