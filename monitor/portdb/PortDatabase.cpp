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

QString decodeText(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
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
