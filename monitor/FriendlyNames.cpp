#include "monitor/FriendlyNames.h"

#include "settings/DebugTrace.h"
#include "settings/Paths.h"

namespace wv {

FriendlyNames::FriendlyNames(QObject *parent)
    : FriendlyNames(Paths::userFile(QString::fromLatin1(FileName)), parent)
{
}

FriendlyNames::FriendlyNames(const QString &path, QObject *parent) : QObject(parent), m_file(path)
{
}

QString FriendlyNames::GetFriendlyName(const QString &hostName, const QString &remoteAddress) const
{
    return entriesNow().GetFriendlyName(hostName, remoteAddress);
}

FriendlyNames::Entries FriendlyNames::entriesNow() const
{
    return {m_file.readSectionValues(HostSection), m_file.readSectionValues(IpSection)};
}

QString FriendlyNames::Entries::GetFriendlyName(const QString &hostName,
                                                const QString &remoteAddress) const
{
    for (const auto &[key, value] : hosts) {
        if (!key.isEmpty() && hostName.contains(key, Qt::CaseSensitive))
            return value;
    }
    for (const auto &[key, value] : addresses) {
        if (!key.isEmpty() && remoteAddress.contains(key, Qt::CaseSensitive))
            return value;
    }
    return Unknown;
}

FriendlyNames::Field FriendlyNames::missingField(const QString &hostMask,
                                                 const QString &addressMask,
                                                 const QString &friendlyName)
{
    if (friendlyName.trimmed().isEmpty())
        return Field::FriendlyName;
    if (hostMask.trimmed().isEmpty())
        return Field::HostName;
    if (addressMask.trimmed().isEmpty())
        return Field::Address;
    return Field::None;
}

bool FriendlyNames::writeEntry(const QString &hostMask, const QString &addressMask,
                               const QString &friendlyName)
{
    if (missingField(hostMask, addressMask, friendlyName) != Field::None)
        return false;
    // Ini keys cannot keep surrounding blanks; the masks are sub-texts, so
    // trimming them only makes them match more reliably.
    const QString host = hostMask.trimmed();
    const QString address = addressMask.trimmed();
    DebugLog(QStringLiteral("Writing friendly name"));
    DebugLog(QStringLiteral("---------------------"));
    DebugLog(QStringLiteral("fhost = ") + host);
    DebugLog(QStringLiteral("fip = ") + address);
    const bool ok = m_file.writeString(HostSection, host, friendlyName) &&
                    m_file.writeString(IpSection, address, friendlyName);
    Q_EMIT changed();
    return ok;
}

QVector<FriendlyNames::Entry> FriendlyNames::entries() const
{
    const auto hosts = m_file.readSectionValues(HostSection);
    const QStringList addresses = m_file.readSection(IpSection);
    QVector<Entry> list;
    list.reserve(hosts.size());
    for (qsizetype i = 0; i < hosts.size(); ++i)
        list.append(
            {hosts[i].first, i < addresses.size() ? addresses[i] : QString(), hosts[i].second});
    return list;
}

bool FriendlyNames::removeEntry(const QString &hostMask, const QString &addressMask)
{
    bool ok = m_file.deleteKey(HostSection, hostMask);
    // An empty mask stands for a missing "IP" key, not for a key named "".
    if (!addressMask.isEmpty())
        ok = m_file.deleteKey(IpSection, addressMask) && ok;
    Q_EMIT changed();
    return ok;
}

bool FriendlyNames::clearAll()
{
    const bool hosts = m_file.eraseSection(HostSection);
    const bool ok = m_file.eraseSection(IpSection) && hosts;
    Q_EMIT changed();
    return ok;
}

} // namespace wv
