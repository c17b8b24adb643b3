#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace wv {

struct MailRelay;

// The relay password. It goes to the desktop's secret service through
// QtKeychain where one runs on the session bus, else to "smtp-passwords" in
// the per-user folder, a file only the user can read (mode 0600). It never
// goes into registry.ini, the transfer file or a profile.
//
// $WIREVANE_KEYCHAIN=off keeps the secret service out of it (tests, and
// desktops whose keyring asks on every read).
namespace MailPassword {

inline constexpr const char *FileName = "smtp-passwords";
inline constexpr const char *Service = "Wirevane SMTP relay";

QString filePath();
// The entry a password is kept under: user@host.
QString entryKey(const MailRelay &relay);
bool keychainEnabled();

// Looks the password up and calls done(password, errorText) on the thread's
// event loop; an unknown entry gives an empty password and no error.
void read(const MailRelay &relay, QObject *context,
          std::function<void(const QString &password, const QString &error)> done);
// Stores (or, given an empty password, removes) the password; done(error).
void write(const MailRelay &relay, const QString &password, QObject *context,
           std::function<void(const QString &error)> done);

// Blocking forms for the companion and the relay window: they wait on a
// local event loop, at most timeoutMs for the secret service.
QString readNow(const MailRelay &relay, QString *error = nullptr, int timeoutMs = 15000);
bool writeNow(const MailRelay &relay, const QString &password, QString *error = nullptr,
              int timeoutMs = 15000);

// The file store alone.
QString readFile(const QString &key, const QString &path = filePath());
bool writeFile(const QString &key, const QString &password, QString *error,
               const QString &path = filePath());

} // namespace MailPassword
} // namespace wv
