#include "rules/mail/MailPassword.h"

#include "rules/mail/MailRelay.h"
#include "settings/SecretStore.h"

namespace wv::MailPassword {

namespace {

SecretStore::Place place()
{
    return {QString::fromLatin1(Service), QString::fromLatin1(FileName)};
}

} // namespace

QString filePath()
{
    return SecretStore::filePath(place());
}

QString entryKey(const MailRelay &relay)
{
    return relay.user + QLatin1Char('@') + relay.host;
}

bool keychainEnabled()
{
    return SecretStore::keychainEnabled();
}

QString readFile(const QString &key, const QString &path)
{
    return SecretStore::readFile(key, path);
}

bool writeFile(const QString &key, const QString &password, QString *error, const QString &path)
{
    return SecretStore::writeFile(key, password, error, path);
}

void read(const MailRelay &relay, QObject *context,
          std::function<void(const QString &, const QString &)> done)
{
    SecretStore::read(place(), entryKey(relay), context, std::move(done));
}

void write(const MailRelay &relay, const QString &password, QObject *context,
           std::function<void(const QString &)> done)
{
    SecretStore::write(place(), entryKey(relay), password, context, std::move(done));
}

QString readNow(const MailRelay &relay, QString *error, int timeoutMs)
{
    return SecretStore::readNow(place(), entryKey(relay), error, timeoutMs);
}

bool writeNow(const MailRelay &relay, const QString &password, QString *error, int timeoutMs)
{
    return SecretStore::writeNow(place(), entryKey(relay), password, error, timeoutMs);
}

} // namespace wv::MailPassword
