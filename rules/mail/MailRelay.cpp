#include "rules/mail/MailRelay.h"

#include "settings/RegistryStore.h"

#include <QHostInfo>

namespace wv {

namespace {

const QString kHost = QStringLiteral("SMTP_Server");
const QString kPort = QStringLiteral("SMTP_Port");
const QString kSecurity = QStringLiteral("Security");
const QString kUser = QStringLiteral("UserName");
const QString kFromAddress = QStringLiteral("FROM_Address");
const QString kFromName = QStringLiteral("FROM_Name");
const QString kCaFile = QStringLiteral("CaFile");

bool hasBlankOrControl(const QString &text)
{
    for (const QChar c : text) {
        if (c.isSpace() || c.unicode() < 32)
            return true;
    }
    return false;
}

} // namespace

QString securityName(MailSecurity s)
{
    switch (s) {
    case MailSecurity::StartTls:
        return QStringLiteral("starttls");
    case MailSecurity::Tls:
        return QStringLiteral("tls");
    case MailSecurity::None:
        break;
    }
    return QStringLiteral("none");
}

bool parseSecurity(const QString &text, MailSecurity &out)
{
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("none"))
        out = MailSecurity::None;
    else if (t == QLatin1String("starttls"))
        out = MailSecurity::StartTls;
    else if (t == QLatin1String("tls"))
        out = MailSecurity::Tls;
    else
        return false;
    return true;
}

int MailRelay::defaultPort(MailSecurity s)
{
    switch (s) {
    case MailSecurity::StartTls:
        return 587;
    case MailSecurity::Tls:
        return 465;
    case MailSecurity::None:
        break;
    }
    return 25;
}

QString MailRelay::effectiveFromAddress() const
{
    if (!fromAddress.isEmpty())
        return fromAddress;
    const QString host = QHostInfo::localHostName();
    return QStringLiteral("wirevane@") + (host.isEmpty() ? QStringLiteral("localhost") : host);
}

QString MailRelay::effectiveCaFile() const
{
    const QByteArray env = qgetenv("WIREVANE_SMTP_CA_FILE");
    return env.isEmpty() ? caFile : QString::fromLocal8Bit(env);
}

MailRelay MailRelay::read(const RegistryStore &registry)
{
    const QString key = QString::fromLatin1(RegistryKey);
    MailRelay r;
    r.host = registry.readString(key, kHost, r.host).trimmed();
    bool ok = false;
    const int port = registry.readString(key, kPort).toInt(&ok);
    r.port = ok && port >= 0 && port <= 65535 ? port : 0;
    MailSecurity s;
    if (parseSecurity(registry.readString(key, kSecurity), s))
        r.security = s;
    r.user = registry.readString(key, kUser);
    r.fromAddress = registry.readString(key, kFromAddress);
    r.fromName = registry.readString(key, kFromName, r.fromName);
    r.caFile = registry.readString(key, kCaFile);
    return r;
}

bool MailRelay::write(RegistryStore &registry) const
{
    const QString key = QString::fromLatin1(RegistryKey);
    return registry.file().writeStrings(key, {{kHost, host},
                                              {kPort, QString::number(port)},
                                              {kSecurity, securityName(security)},
                                              {kUser, user},
                                              {kFromAddress, fromAddress},
                                              {kFromName, fromName},
                                              {kCaFile, caFile}});
}

const std::vector<MailRelayKey> &mailRelayKeys()
{
    static const std::vector<MailRelayKey> keys = {
        {"MailServer", "localhost", [](const MailRelay &r) { return r.host; },
         [](MailRelay &r, const QString &v) {
             if (v.trimmed().isEmpty() || hasBlankOrControl(v.trimmed()))
                 return QStringLiteral("a host name or address without blanks");
             r.host = v.trimmed();
             return QString();
         }},
        {"MailPort", "0", [](const MailRelay &r) { return QString::number(r.port); },
         [](MailRelay &r, const QString &v) {
             bool ok = false;
             const int p = v.trimmed().toInt(&ok);
             if (!ok || p < 0 || p > 65535)
                 return QStringLiteral("a port from 1 to 65535, or 0 for the usual port of the "
                                       "security (25, 587 for starttls, 465 for tls)");
             r.port = p;
             return QString();
         }},
        {"MailSecurity", "none", [](const MailRelay &r) { return securityName(r.security); },
         [](MailRelay &r, const QString &v) {
             if (!parseSecurity(v, r.security))
                 return QStringLiteral("none, starttls or tls");
             return QString();
         }},
        {"MailUser", "", [](const MailRelay &r) { return r.user; },
         [](MailRelay &r, const QString &v) {
             if (v.contains(QLatin1Char('\r')) || v.contains(QLatin1Char('\n')))
                 return QStringLiteral("a user name on one line");
             r.user = v;
             return QString();
         }},
        {"MailFromAddress", "", [](const MailRelay &r) { return r.fromAddress; },
         [](MailRelay &r, const QString &v) {
             if (!v.isEmpty() && (hasBlankOrControl(v) || !v.contains(QLatin1Char('@')) ||
                                  v.contains(QLatin1Char('<')) || v.contains(QLatin1Char('>'))))
                 return QStringLiteral("an address such as alerts@example.org, or empty");
             r.fromAddress = v;
             return QString();
         }},
        {"MailFromName", MailRelay::DefaultFromName, [](const MailRelay &r) { return r.fromName; },
         [](MailRelay &r, const QString &v) {
             if (v.contains(QLatin1Char('\r')) || v.contains(QLatin1Char('\n')))
                 return QStringLiteral("a name on one line");
             r.fromName = v;
             return QString();
         }},
        {"MailCaFile", "", [](const MailRelay &r) { return r.caFile; },
         [](MailRelay &r, const QString &v) {
             r.caFile = v;
             return QString();
         }},
    };
    return keys;
}

const MailRelayKey *findMailRelayKey(const QString &key)
{
    for (const MailRelayKey &k : mailRelayKeys()) {
        if (key.compare(QLatin1String(k.key), Qt::CaseInsensitive) == 0)
            return &k;
    }
    return nullptr;
}

} // namespace wv
