#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace wv {

class RegistryStore;

// How the connection to the relay is protected.
enum class MailSecurity
{
    None,     // plain SMTP, HELO
    StartTls, // EHLO, STARTTLS, EHLO again
    Tls,      // TLS from the first byte
};

QString securityName(MailSecurity s); // "none", "starttls", "tls"
bool parseSecurity(const QString &text, MailSecurity &out);

// The relay the alert e-mail goes through. It lives under its own registry
// key, WVN3PRO\Mail, apart from the options set and never in the transfer
// file or a profile; the password is kept by MailPassword, not here.
struct MailRelay
{
    static constexpr const char *RegistryKey = "WVN3PRO\\Mail";
    static constexpr const char *DefaultFromName = "Wirevane email notification";

    QString host = QStringLiteral("localhost");
    int port = 0; // 0: the security's usual port
    MailSecurity security = MailSecurity::None;
    QString user;        // empty: no authentication
    QString fromAddress; // empty: wirevane@<this host>
    QString fromName = QString::fromLatin1(DefaultFromName);
    // Extra certificate authorities (PEM) trusted beside the system's store;
    // $WIREVANE_SMTP_CA_FILE, when set, takes its place.
    QString caFile;

    // 25, 587 for STARTTLS, 465 for TLS.
    static int defaultPort(MailSecurity s);
    int effectivePort() const { return port > 0 ? port : defaultPort(security); }
    QString effectiveFromAddress() const;
    QString effectiveCaFile() const;

    static MailRelay read(const RegistryStore &registry);
    bool write(RegistryStore &registry) const;

    bool operator==(const MailRelay &) const = default;
};

// One relay value as the companion's settings command lists and sets it.
struct MailRelayKey
{
    const char *key;
    const char *defaultText;
    std::function<QString(const MailRelay &)> get;
    // Returns an empty text on success, else what is wrong with the value.
    std::function<QString(MailRelay &, const QString &)> set;
};
const std::vector<MailRelayKey> &mailRelayKeys();
const MailRelayKey *findMailRelayKey(const QString &key);

} // namespace wv
