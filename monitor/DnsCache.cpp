#include "monitor/DnsCache.h"

#include "settings/Paths.h"

#include <QDateTime>
#include <QLocale>

namespace wv {

DnsCache::DnsCache() : DnsCache(Paths::userFile(QString::fromLatin1(FileName))) {}

DnsCache::DnsCache(const QString &path) : m_file(path) {}

QString DnsCache::lookup(const QString &address) const
{
    if (!usableKey(address))
        return {};
    return m_file.readString(CacheSection, address);
}

bool DnsCache::store(const QString &address, const QString &name)
{
    if (!usableKey(address))
        return false;
    return m_file.writeString(CacheSection, address, name);
}

QVector<std::pair<QString, QString>> DnsCache::entries() const
{
    return m_file.readSectionValues(CacheSection);
}

int DnsCache::count() const
{
    return int(m_file.readSection(CacheSection).size());
}

QString DnsCache::created(const QString &defaultValue) const
{
    return m_file.readString(MainSection, CreatedKey, defaultValue);
}

void DnsCache::stampCreated()
{
    if (m_file.readString(MainSection, CreatedKey).isEmpty())
        m_file.writeString(MainSection, CreatedKey, nowText());
}

bool DnsCache::clear()
{
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
