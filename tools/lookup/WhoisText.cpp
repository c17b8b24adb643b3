#include "tools/lookup/WhoisText.h"

#include <QHostAddress>
#include <QRegularExpression>

namespace wv {

QStringList WhoisServers()
{
    return {QStringLiteral("whois.iana.org"),  QStringLiteral("whois.internic.net"),
            QStringLiteral("whois.arin.net"),  QStringLiteral("whois.ripe.net"),
            QStringLiteral("whois.apnic.net"), QStringLiteral("whois.lacnic.net")};
}

namespace WhoisRegistry {
QString Internic()
{
    return QStringLiteral("whois.internic.net");
}
QString Arin()
{
    return QStringLiteral("whois.arin.net");
}
QString Ripe()
{
    return QStringLiteral("whois.ripe.net");
}
QString Apnic()
{
    return QStringLiteral("whois.apnic.net");
}
} // namespace WhoisRegistry

QString DomainOf(const QString &host)
{
    const qsizetype dots = host.count(QLatin1Char('.'));
    if (dots < 2)
        return host;
    QString rest = host;
    for (qsizetype i = 0; i < dots - 1; ++i)
        rest = rest.mid(rest.indexOf(QLatin1Char('.')) + 1);
    return rest;
}

bool ContainsLetter(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z'))
            return true;
    }
    return false;
}

QString StripNotice(const QString &text)
{
    static const QString first = QStringLiteral("The Data");
    static const QString last = QStringLiteral("this policy.");
    const qsizetype start = text.indexOf(first);
    const qsizetype end = text.indexOf(last);
    if (start < 0 || end < 0 || end <= start)
        return text;
    // The character after the notice (its line break) goes with it; the one
    // break put in its place keeps the following line on a line of its own.
    const qsizetype stop = qMin(text.size(), end + last.size() + 1);
    return text.left(start) + QLatin1Char('\n') + text.mid(stop);
}

QString ContactHandle(const QString &reply, const QString &label)
{
    qsizetype from = reply.indexOf(label);
    const QString rest = from < 0 ? reply : reply.mid(from);
    const qsizetype open = rest.indexOf(QLatin1Char('('));
    const qsizetype close = rest.indexOf(QLatin1Char(')'));
    if (open < 0 || close < 0 || close < open)
        return QString();
    return rest.mid(open + 1, close - open - 1);
}

QString QueryLine(const QString &text)
{
    QString line = text;
    line.remove(QLatin1Char('\r'));
    line.remove(QLatin1Char('\n'));
    return line;
}

QString WhoisServer::text() const
{
    const QString h = host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(host) : host;
    return port == 43 ? h : QStringLiteral("%1:%2").arg(h).arg(port);
}

std::optional<WhoisServer> ParseWhoisServer(const QString &input)
{
    const QString text = input.trimmed();
    if (text.isEmpty() || text.size() > 255)
        return std::nullopt;
    WhoisServer server;
    QString portText;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        if (close < 0)
            return std::nullopt;
        server.host = text.mid(1, close - 1);
        const QString rest = text.mid(close + 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(QLatin1Char(':')))
                return std::nullopt;
            portText = rest.mid(1);
        }
    } else if (text.count(QLatin1Char(':')) == 1) {
        server.host = text.section(QLatin1Char(':'), 0, 0);
        portText = text.section(QLatin1Char(':'), 1);
    } else {
        server.host = text;
    }
    static const QRegularExpression hostChars(QStringLiteral("^[A-Za-z0-9._:-]+$"));
    if (server.host.isEmpty() || !hostChars.match(server.host).hasMatch())
        return std::nullopt;
    // A colon belongs to an IPv6 address and nothing else.
    if (server.host.contains(QLatin1Char(':')) &&
        QHostAddress(server.host).protocol() != QAbstractSocket::IPv6Protocol)
        return std::nullopt;
    if (!portText.isEmpty()) {
        bool ok = false;
        const uint port = portText.toUInt(&ok);
        if (!ok || port == 0 || port > 65535)
            return std::nullopt;
        server.port = quint16(port);
    }
    return server;
}

std::optional<WhoisServer> FindReferral(const QString &reply)
{
    static const QRegularExpression patterns[] = {
        QRegularExpression(QStringLiteral("^\\s*refer:\\s*(\\S+)\\s*$"),
                           QRegularExpression::MultilineOption |
                               QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral("^\\s*ReferralServer:\\s*(r?whois://\\S+)\\s*$"),
                           QRegularExpression::MultilineOption |
                               QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral("^\\s*Registrar WHOIS Server:\\s*(\\S+)\\s*$"),
                           QRegularExpression::MultilineOption |
                               QRegularExpression::CaseInsensitiveOption),
    };
    for (const QRegularExpression &re : patterns) {
        const QRegularExpressionMatch m = re.match(reply);
        if (!m.hasMatch())
            continue;
        QString target = m.captured(1);
        // Only WHOIS itself is followed; an rwhois referral speaks another protocol.
        if (target.startsWith(QLatin1String("rwhois://"), Qt::CaseInsensitive))
            continue;
        if (target.startsWith(QLatin1String("whois://"), Qt::CaseInsensitive))
            target = target.mid(8);
        while (target.endsWith(QLatin1Char('/')))
            target.chop(1);
        if (const auto server = ParseWhoisServer(target))
            return server;
    }
    return std::nullopt;
}

QList<TraceWhoisItem> TraceWhoisItems(bool rowSelected, bool traceRunning, const QString &hostCell,
                                      const QString &ipCell)
{
    if (!rowSelected || traceRunning) {
        return {{QStringLiteral("Custom server"), {}, {}, false},
                {QStringLiteral("Internic"), {}, WhoisRegistry::Internic(), false},
                {QStringLiteral("ARIN"), {}, WhoisRegistry::Arin(), false},
                {QStringLiteral("RIPE"), {}, WhoisRegistry::Ripe(), false},
                {QStringLiteral("APNIC"), {}, WhoisRegistry::Apnic(), false}};
    }
    QList<TraceWhoisItem> items;
    items.append({QStringLiteral("Custom server: ") + hostCell, hostCell, {}, true});
    if (ContainsLetter(hostCell)) {
        const QString domain = DomainOf(hostCell);
        items.append(
            {QStringLiteral("Internic: ") + domain, domain, WhoisRegistry::Internic(), true});
    } else {
        items.append(
            {QStringLiteral("Internic: ") + hostCell, hostCell, WhoisRegistry::Internic(), false});
    }
    items.append({QStringLiteral("ARIN: ") + ipCell, ipCell, WhoisRegistry::Arin(), true});
    items.append({QStringLiteral("RIPE: ") + ipCell, ipCell, WhoisRegistry::Ripe(), true});
    items.append({QStringLiteral("APNIC: ") + ipCell, ipCell, WhoisRegistry::Apnic(), true});
    return items;
}

} // namespace wv
