#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace wv {

// The WHOIS servers of the lookup window's list, the first is the default.
QStringList WhoisServers();
// The registries the trace list's "Perform Whois" menu sends queries to.
namespace WhoisRegistry {
QString Internic();
QString Arin();
QString Ripe();
QString Apnic();
} // namespace WhoisRegistry

// The domain of a host name: the last two dot-separated labels (a name with
// fewer than two dots is its own domain).
QString DomainOf(const QString &host);
// True when any character is one of A-Z or a-z.
bool ContainsLetter(const QString &text);

// Removes the registry's legal notice: from the first "The Data" through the
// first "this policy." and the one character after it, replaced by one line
// break. A text without both markers, in that order, is returned unchanged.
QString StripNotice(const QString &text);

// The contact handle in a reply: between the first "(" and the first ")" of
// the text from the first occurrence of label on (the whole text when the
// label does not occur). Empty when there is none.
QString ContactHandle(const QString &reply, const QString &label);

// The query line as sent: line breaks removed, so that one query is always
// one request line.
QString QueryLine(const QString &text);

struct WhoisServer
{
    QString host;
    quint16 port = 43;
    bool operator==(const WhoisServer &) const = default;
    QString text() const;
};

// "host", "host:port", "[v6]" or "[v6]:port"; at most 255 characters.
std::optional<WhoisServer> ParseWhoisServer(const QString &text);

// The server a reply refers to, the way the standard whois client follows
// it: an IANA "refer:" line, ARIN's "ReferralServer: whois://host[:port]",
// or a registry's "Registrar WHOIS Server:". Nothing when the reply has no
// usable referral.
std::optional<WhoisServer> FindReferral(const QString &reply);

// The five server items of the trace list's "Perform Whois" menu, in order:
// custom server, Internic, ARIN, RIPE, APNIC.
struct TraceWhoisItem
{
    QString caption;
    QString query;
    QString server; // empty for the custom item
    bool enabled = false;
};
QList<TraceWhoisItem> TraceWhoisItems(bool rowSelected, bool traceRunning, const QString &hostCell,
                                      const QString &ipCell);

} // namespace wv
