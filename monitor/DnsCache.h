#pragma once

#include "settings/IniFile.h"

#include <QHash>
#include <QString>
#include <QVector>

#include <utility>

namespace wv {

// The persistent DNS cache, wvncache.ini in the per-user folder:
//   [Main]  created=<date and time of the first look-up since the last clearing>
//   [Cache] <address>=<host name>; empty when the look-up failed, the address
//           itself when it timed out.
// Every read and write goes straight to the file, except while writes are
// held: a refresh that learns many names then rewrites the file once.
class DnsCache
{
public:
    static constexpr const char *FileName = "wvncache.ini";
    static inline const QString MainSection = QStringLiteral("Main");
    static inline const QString CacheSection = QStringLiteral("Cache");
    static inline const QString CreatedKey = QStringLiteral("created");

    // Defaults to wvncache.ini in the per-user folder.
    DnsCache();
    explicit DnsCache(const QString &path);
    // Writes what is held.
    ~DnsCache();
    DnsCache(const DnsCache &) = delete;
    DnsCache &operator=(const DnsCache &) = delete;

    // From holdWrites() to the matching releaseWrites(), new names and the
    // stamp are kept in memory (and found by lookup) and then written in one
    // rewrite of the file, as they would have been one after another. Any
    // other read or change of the file writes them first. Returns false when
    // the file could not be written.
    void holdWrites();
    bool releaseWrites();
    bool flush();

    // The cached name, empty when the address is not cached (or cached empty).
    QString lookup(const QString &address) const;
    bool store(const QString &address, const QString &name);
    QVector<std::pair<QString, QString>> entries() const;
    int count() const;

    QString created(const QString &defaultValue = QString()) const;
    // Writes the current date and time as the stamp when there is none.
    void stampCreated();
    // Empties the cache and removes the stamp.
    bool clear();
    // Replaces the whole "Cache" section (the stamp stays).
    bool replaceEntries(const QVector<std::pair<QString, QString>> &entries);

    // The file itself, with what was held written to it.
    IniFile &file();
    const IniFile &file() const;

    // The stamp text: the locale's short date and long time.
    static QString nowText();
    // Whether an address can be stored as a key of the cache file.
    static bool usableKey(const QString &address);

private:
    mutable IniFile m_file;
    int m_held = 0;
    mutable QVector<IniFile::Entry> m_pending;
    // Case-folded address -> the name held for it.
    mutable QHash<QString, QString> m_pendingNames;
    mutable bool m_pendingStamp = false;
};

} // namespace wv
