#include "remote/RemoteAgent.h"

#include <QHostAddress>

namespace wv {

namespace {

QString hostText(const QString &host)
{
    return host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
}

bool validHostName(const QString &host)
{
    if (host.isEmpty() || host.size() > 253)
        return false;
    for (const QChar c : host) {
        if (!(c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('.') ||
              c == QLatin1Char('_')))
            return false;
    }
    return true;
}

} // namespace

QString RemoteAgent::displayName() const
{
    QString name = hostText(host) + QLatin1Char(':') + QString::number(port);
    if (transport == QLatin1String("tcp"))
        name.prepend(QStringLiteral("tcp:"));
    return name;
}

QString RemoteAgent::peerName() const
{
    return transport + QLatin1Char(':') + hostText(host) + QLatin1Char(':') + QString::number(port);
}

bool RemoteAgent::setAddress(const QString &text, QString *error)
{
    const auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    QString t = text.trimmed();
    QString proto = QStringLiteral("udp");
    for (const char *p : {"udp:", "tcp:"}) {
        if (t.startsWith(QLatin1String(p), Qt::CaseInsensitive)) {
            proto = QString::fromLatin1(p).chopped(1);
            t.remove(0, 4);
            break;
        }
    }
    QString h = t;
    int p = 161;
    QString portText;
    if (t.startsWith(QLatin1Char('['))) {
        const qsizetype close = t.indexOf(QLatin1Char(']'));
        if (close < 0)
            return fail(QStringLiteral("'%1': missing ']' after the IPv6 address").arg(text));
        h = t.mid(1, close - 1);
        const QString rest = t.mid(close + 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(QLatin1Char(':')))
                return fail(QStringLiteral("'%1': expected ':PORT' after ']'").arg(text));
            portText = rest.mid(1);
        }
        if (QHostAddress(h).protocol() != QAbstractSocket::IPv6Protocol)
            return fail(QStringLiteral("'%1': not an IPv6 address in brackets").arg(text));
    } else if (t.count(QLatin1Char(':')) == 1) {
        h = t.section(QLatin1Char(':'), 0, 0);
        portText = t.section(QLatin1Char(':'), 1);
    } else if (t.count(QLatin1Char(':')) > 1) {
        // A bare IPv6 address, no port.
        if (QHostAddress(t).protocol() != QAbstractSocket::IPv6Protocol)
            return fail(QStringLiteral("'%1': not a host name or address").arg(text));
    }
    if (h.isEmpty())
        return fail(QStringLiteral("'%1': no host given").arg(text));
    if (!h.contains(QLatin1Char(':')) && !validHostName(h))
        return fail(QStringLiteral("'%1': not a host name or address").arg(text));
    if (!portText.isNull()) {
        bool ok = false;
        p = portText.toInt(&ok);
        if (!ok || p < 1 || p > 65535 || portText.startsWith(QLatin1Char('+')))
            return fail(
                QStringLiteral("'%1': the port must be a number from 1 to 65535").arg(text));
    }
    transport = proto;
    host = h;
    port = p;
    return true;
}

QString RemoteAgent::validate() const
{
    if (host.isEmpty())
        return QStringLiteral("no agent host given");
    if (timeoutMs < 10 || timeoutMs > 600000)
        return QStringLiteral("the time-out must be between 0.01 and 600 seconds");
    if (retries < 0 || retries > 20)
        return QStringLiteral("the retries must be between 0 and 20");
    if (version == Version::V2c)
        return community.isEmpty() ? QStringLiteral("no community given") : QString();
    if (user.isEmpty())
        return QStringLiteral("no SNMPv3 user given");
    if (authProtocol.isEmpty()) {
        if (!privProtocol.isEmpty())
            return QStringLiteral("privacy needs an authentication protocol too");
        return QString();
    }
    if (!authProtocols().contains(authProtocol, Qt::CaseInsensitive))
        return QStringLiteral("unknown authentication protocol '%1' (%2)")
            .arg(authProtocol, authProtocols().join(QStringLiteral(", ")));
    // The key derivation of SNMPv3 (RFC 3414) wants at least 8 characters.
    if (authPassphrase.size() < 8)
        return QStringLiteral("the authentication pass phrase must have at least 8 characters");
    if (privProtocol.isEmpty())
        return QString();
    if (!privProtocols().contains(privProtocol, Qt::CaseInsensitive))
        return QStringLiteral("unknown privacy protocol '%1' (%2)")
            .arg(privProtocol, privProtocols().join(QStringLiteral(", ")));
    if (privPassphrase.size() < 8)
        return QStringLiteral("the privacy pass phrase must have at least 8 characters");
    return QString();
}

QStringList RemoteAgent::authProtocols()
{
    return {QStringLiteral("MD5"),     QStringLiteral("SHA"),     QStringLiteral("SHA-224"),
            QStringLiteral("SHA-256"), QStringLiteral("SHA-384"), QStringLiteral("SHA-512")};
}

QStringList RemoteAgent::privProtocols()
{
    return {QStringLiteral("DES"), QStringLiteral("AES"), QStringLiteral("AES-192"),
            QStringLiteral("AES-256")};
}

} // namespace wv
