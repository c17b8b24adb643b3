#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace wv {

// Where the program keeps secrets (the e-mail relay's password, the SNMP
// agents' communities and pass phrases): the desktop's secret service through
// QtKeychain where one runs on the session bus, else a file in the per-user
// folder that only the user can read (mode 0600). Secrets never go into
// registry.ini, the transfer file or a profile.
//
// $WIREVANE_KEYCHAIN=off keeps the secret service out of it (tests, and
// desktops whose keyring asks on every read).
namespace SecretStore {

// One kind of secret: the secret service's service name and the name of the
// fallback file in the per-user folder.
struct Place
{
    QString service;
    QString fileName;
};

QString filePath(const Place &place);
bool keychainEnabled();

// Looks the secret up and calls done(secret, errorText) on the thread's
// event loop; an unknown entry gives an empty secret and no error.
void read(const Place &place, const QString &key, QObject *context,
          std::function<void(const QString &secret, const QString &error)> done);
// Stores (or, given an empty secret, removes) the secret; done(error).
void write(const Place &place, const QString &key, const QString &secret, QObject *context,
           std::function<void(const QString &error)> done);

// Blocking forms: they wait on a local event loop, at most timeoutMs for the
// secret service.
QString readNow(const Place &place, const QString &key, QString *error = nullptr,
                int timeoutMs = 15000);
bool writeNow(const Place &place, const QString &key, const QString &secret,
              QString *error = nullptr, int timeoutMs = 15000);

// The file store alone.
QString readFile(const QString &key, const QString &path);
bool writeFile(const QString &key, const QString &secret, QString *error, const QString &path);

} // namespace SecretStore
} // namespace wv
