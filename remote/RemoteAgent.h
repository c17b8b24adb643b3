#pragma once

#include <QString>
#include <QStringList>

namespace wv {

// Where another host's connection tables are read from: its SNMP agent, and
// how to speak to it.
struct RemoteAgent
{
    enum class Version
    {
        V2c,
        V3
    };

    QString transport = QStringLiteral("udp"); // "udp" or "tcp"
    QString host;
    int port = 161;
    Version version = Version::V2c;
    QString community = QStringLiteral("public");
    // SNMPv3 (user-based security): a user and, for authNoPriv and authPriv,
    // the authentication protocol and pass phrase; for authPriv also the
    // privacy protocol and pass phrase. An empty auth protocol means noAuthNoPriv.
    QString user;
    QString authProtocol; // "MD5", "SHA", "SHA-224", "SHA-256", "SHA-384", "SHA-512"
    QString authPassphrase;
    QString privProtocol; // "DES", "AES", "AES-192", "AES-256"; empty: no privacy
    QString privPassphrase;
    int timeoutMs = 2000; // per try
    int retries = 1;      // tries after the first

    // "host:port" ("[v6]:port"), with "tcp:" in front for TCP: how the agent is
    // named in the host chooser, the caption and every event line.
    QString displayName() const;
    // The peer name the SNMP library opens: "udp:host:port".
    QString peerName() const;

    // Fills transport, host and port from "[udp:|tcp:]HOST[:PORT]" (an IPv6
    // address in brackets when a port follows). False with a message when the
    // text is not such a name.
    bool setAddress(const QString &text, QString *error);

    // Empty when the settings can be used, else what is wrong with them.
    QString validate() const;

    static QStringList authProtocols();
    static QStringList privProtocols();

    bool operator==(const RemoteAgent &) const = default;
};

} // namespace wv
