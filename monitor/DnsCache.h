#pragma once

#include "settings/IniFile.h"

#include <QString>
#include <QVector>

#include <utility>

namespace wv {

// The persistent DNS cache, wvncache.ini in the per-user folder:
//   [Main]  created=<date and time of the first look-up since the last clearing>
//   [Cache] <address>=<host name>; empty when the look-up failed, the address
//           itself when it timed out.
// Every read and write goes straight to the file.
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

    IniFile &file() { return m_file; }
    const IniFile &file() const { return m_file; }

    // The stamp text: the locale's short date and long time.
    static QString nowText();
    // Whether an address can be stored as a key of the cache file.
    static bool usableKey(const QString &address);

private:
    IniFile m_file;
};

} // namespace wv
