#pragma once

#include <QString>
#include <QStringList>

#include <stdexcept>

namespace wv {

// The port database portdb.qpd: a read-only file that describes port numbers.
//
// Layout (integers little-endian):
//   0            15 bytes  "Quillmark QPD 1"
//   15 + 4*p     uint32    absolute offset of the record of port p, 0 = none
//   record       int32     port (must equal p)
//                uint32    L, the length of the text block
//                L bytes   Name, Text2, Text3, Text4, each NUL-terminated
// Text is UTF-8; a string that is not valid UTF-8 is read as Windows-1252, so
// databases written with an 8-bit character set still read.
namespace PortDatabase {
inline constexpr char kMagic[] = "Quillmark QPD 1";
inline constexpr qint64 kMagicSize = 15;
inline constexpr int kPortCount = 65536;
inline constexpr qint64 kIndexSize = 4LL * kPortCount;
inline constexpr qint64 kFirstRecordOffset = kMagicSize + kIndexSize;

// The failure texts of a look-up (never shown to the user).
inline constexpr char kInvalidDatabase[] = "Invalid port database";
inline constexpr char kPortNotFound[] = "Port not found";
inline constexpr char kCorruptDatabase[] = "Corrupt port database";
inline constexpr char kReadError[] = "Stream read error";

// The data folder's portdb.qpd.
QString defaultPath();
} // namespace PortDatabase

struct TPortInfo
{
    bool Found = false;
    qint32 Port = 0;
    QString Name;
    QString Text2;
    QString Text3;
    QString Text4;

    // What the port information window shows: "[Name]", Text3, "", Text4,
    // or the single line "Port not found.".
    QStringList displayLines() const;
};

// Raised by LoadPort when the database file cannot be opened.
class EPortDatabaseOpenError : public std::runtime_error
{
public:
    EPortDatabaseOpenError(const QString &fileName, const QString &reason);
    QString message() const { return QString::fromUtf8(what()); }
};

// Reads one port's record from the database. On return info.Found tells
// whether the port was found; every failure after the file was opened
// (wrong magic, no record, mismatching or truncated record, a port outside
// 0..65535) leaves Found false and, when failure is given, stores the reason
// there. Throws EPortDatabaseOpenError only when the file cannot be opened.
void LoadPort(const QString &fileName, qint32 port, TPortInfo &info, QString *failure = nullptr);

} // namespace wv
