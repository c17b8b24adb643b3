#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <utility>

namespace wv {

// A Windows-style profile file: "[section]" lines and "key=value" lines.
//
// Section names and keys compare without regard to case; the first occurrence
// wins on reading; writing a key replaces its value in place or appends it at
// the end of its section. Lines that are neither a section nor an entry, and
// bytes that are not valid UTF-8, are kept untouched when the file is
// rewritten. Every write goes to a temporary file in the same folder that is
// renamed over the old one, so the file on disk is always a complete version.
//
// The object re-reads the file when another writer has replaced it, so any
// number of IniFile objects (and processes) may share one path.
class IniFile
{
public:
    explicit IniFile(QString path);

    const QString &path() const { return m_path; }

    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue = QString()) const;
    // Decimal (optionally "0x" hexadecimal) integer; anything else gives the default.
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    bool valueExists(const QString &section, const QString &key) const;
    bool sectionExists(const QString &section) const;

    // The keys of a section in file order, each once.
    QStringList readSection(const QString &section) const;
    // The entries of a section in file order, each key once (first value).
    QVector<std::pair<QString, QString>> readSectionValues(const QString &section) const;
    QStringList readSections() const;

    // The writers return false when the file could not be written; the
    // in-memory copy is then re-read from disk on the next access.
    bool writeString(const QString &section, const QString &key, const QString &value);
    // Several values of one section in one rewrite of the file.
    bool writeStrings(const QString &section, const QVector<std::pair<QString, QString>> &entries);
    // Values of any sections, set in order as one writeString after another
    // would, in one rewrite of the file.
    struct Entry
    {
        QString section, key, value;
    };
    bool writeEntries(const QVector<Entry> &entries);
    bool writeInteger(const QString &section, const QString &key, int value);
    // How often this object has rewritten the file.
    int saves() const { return m_saves; }
    bool deleteKey(const QString &section, const QString &key);
    bool eraseSection(const QString &section);

    QString lastError() const { return m_lastError; }

    // Whether the file is there, and whether it could be read. A file that
    // exists but cannot be read reads as empty and is never written over:
    // every writer returns false until it can be read again.
    enum class State
    {
        Missing,
        Readable,
        Unreadable
    };
    State state() const;
    // Why the file could not be read (empty unless Unreadable).
    QString readError() const;

    // Parses a text the way the file is read (used by tests and fuzzing).
    void loadFromBytes(const QByteArray &content);
    QByteArray toBytes() const;

private:
    enum class Kind
    {
        Other,
        Section,
        Entry
    };
    struct Line
    {
        QByteArray text; // without its line end
        QByteArray eol;  // "\n", "\r\n" or "" (last line without end)
        Kind kind = Kind::Other;
        QString name;  // section name or key, as written
        QString value; // entry value, trimmed
    };
    struct SectionIndex
    {
        int header = -1;          // line of the "[section]" header
        int end = -1;             // one past its last line
        QHash<QString, int> keys; // folded key -> first line
        QVector<int> entries;     // entry lines in order
    };
    struct FileStamp
    {
        bool exists = false;
        qint64 inode = 0, size = 0, mtimeNs = 0;
        bool operator==(const FileStamp &o) const = default;
    };

    static bool validName(const QString &section, const QString &key);
    bool setValue(const QString &section, const QString &key, const QString &value);
    void refresh() const;
    void parse(const QByteArray &content) const;
    void reindex() const;
    bool save();
    const SectionIndex *findSection(const QString &section) const;
    QByteArray newLineEnd() const;
    static FileStamp stampOf(const QString &path);
    static QString fold(const QString &s) { return s.toCaseFolded(); }

    QString m_path;
    mutable QVector<Line> m_lines;
    mutable QHash<QString, SectionIndex> m_sections;
    mutable QStringList m_sectionOrder;
    mutable FileStamp m_stamp;
    mutable bool m_loaded = false;
    mutable QString m_readError;
    QString m_lastError;
    int m_saves = 0;
};

} // namespace wv
