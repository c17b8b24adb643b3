#include "monitor/DnsCache.h"

#include "settings/Paths.h"

#include <QDateTime>
#include <QLocale>

#include <utility>

namespace wv {

DnsCache::DnsCache() : DnsCache(Paths::userFile(QString::fromLatin1(FileName))) {}

DnsCache::DnsCache(const QString &path) : m_file(path) {}

DnsCache::~DnsCache()
{
    flush();
}

void DnsCache::holdWrites()
{
    ++m_held;
}

bool DnsCache::releaseWrites()
{
    if (m_held > 0 && --m_held > 0)
        return true;
    return flush();
}

bool DnsCache::flush()
{
    if (m_pending.isEmpty())
        return true;
    const QVector<IniFile::Entry> pending = std::exchange(m_pending, {});
    m_pendingNames.clear();
    m_pendingStamp = false;
    return m_file.writeEntries(pending);
}

IniFile &DnsCache::file()
{
    flush();
    return m_file;
}

const IniFile &DnsCache::file() const
{
    const_cast<DnsCache *>(this)->flush();
    return m_file;
}

QString DnsCache::lookup(const QString &address) const
{
    if (!usableKey(address))
        return {};
    if (!m_pendingNames.isEmpty()) {
        const auto it = m_pendingNames.constFind(address.toCaseFolded());
        if (it != m_pendingNames.cend())
            return *it;
    }
    return m_file.readString(CacheSection, address);
}

bool DnsCache::store(const QString &address, const QString &name)
{
    if (!usableKey(address))
        return false;
    if (m_held == 0)
        return m_file.writeString(CacheSection, address, name);
    m_pending.append({CacheSection, address, name});
    m_pendingNames.insert(address.toCaseFolded(), name);
    return true;
}

QVector<std::pair<QString, QString>> DnsCache::entries() const
{
    return file().readSectionValues(CacheSection);
}

int DnsCache::count() const
{
    return int(file().readSection(CacheSection).size());
}

QString DnsCache::created(const QString &defaultValue) const
{
    return file().readString(MainSection, CreatedKey, defaultValue);
}

void DnsCache::stampCreated()
{
    if (m_pendingStamp || !m_file.readString(MainSection, CreatedKey).isEmpty())
        return;
    if (m_held == 0) {
        m_file.writeString(MainSection, CreatedKey, nowText());
        return;
    }
    m_pending.append({MainSection, CreatedKey, nowText()});
    m_pendingStamp = true;
}

bool DnsCache::clear()
{
    flush();
    const bool erased = m_file.eraseSection(CacheSection);
    return m_file.deleteKey(MainSection, CreatedKey) && erased;
}

bool DnsCache::replaceEntries(const QVector<std::pair<QString, QString>> &entries)
{
    QVector<std::pair<QString, QString>> usable;
    usable.reserve(entries.size());
    for (const auto &e : entries) {
        if (usableKey(e.first))
            usable.append(e);
    }
    flush();
    if (!m_file.eraseSection(CacheSection))
        return false;
    return usable.isEmpty() || m_file.writeStrings(CacheSection, usable);
}

QString DnsCache::nowText()
{
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(now.time(), QLocale::LongFormat);
}

bool DnsCache::usableKey(const QString &address)
{
    if (address.isEmpty() || address.size() > 255 || address.trimmed() != address)
        return false;
    for (const QChar c : address) {
        if (c.unicode() < 0x20 || c == QLatin1Char('=') || c == QLatin1Char('[') ||
            c == QLatin1Char(']') || c == QLatin1Char(';'))
            return false;
    }
    return true;
}

} // namespace wv
