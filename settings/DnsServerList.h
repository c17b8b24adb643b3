#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>

namespace wv {

// The machine's own DNS servers, as the "DNS" page of the options dialog
// shows them: four fields, an empty one meaning no server in that place.
using DnsServerFields = std::array<QString, 4>;

// The system's name-server list, kept in the "nameserver" lines of the
// resolver file (/etc/resolv.conf, or $WIREVANE_RESOLV_CONF).
//
// Writing replaces the nameserver lines by one line per server, in order, at
// the place of the first old one (at the end when there was none); every other
// line stays byte for byte. The new file is written beside the old one and
// renamed over it, so the file is never half written; when the path is a
// symbolic link the file it points to is replaced.
class DnsServerList
{
public:
    static const QString RejectMessage; // "A DNS Server must be in numerical IP form! ..."
    static const QString DefaultPath;   // "/etc/resolv.conf"

    // $WIREVANE_RESOLV_CONF when set, else /etc/resolv.conf.
    static QString systemPath();

    explicit DnsServerList(QString path = systemPath());
    const QString &path() const { return m_path; }

    // Reads the four fields; a fifth and later servers are dropped, a missing
    // or unreadable file gives four empty fields. Writes the trace lines.
    DnsServerFields LoadDNSServers();
    // Writes the fields back. False with lastError() when the file could not
    // be written; it is then left as it was.
    bool SaveDNSServers(const DnsServerFields &fields);
    QString lastError() const { return m_lastError; }

    // Why a write may not last: the file is a link into /run, or its header
    // says NetworkManager or systemd-resolved generated it. Empty otherwise.
    QString managedBy() const;
    // The warning the user is given before such a write.
    QString managedWarning() const;

    // Every server in the file, in order.
    QStringList servers() const;

    // --- The pieces, for tests and the command-line companion ---

    // A server text is refused when it holds a letter A-Z or a-z, unless it is
    // an IPv6 address; a blank or control character inside it is refused too
    // (it would split or add lines of the file). Empty passes (no server).
    static bool acceptServerText(const QString &text);
    // The comma form: "a,b,c,d" with trailing empty servers removed and
    // inner ones kept ("a,,c").
    static QString joinFields(const DnsServerFields &fields);
    // Cuts a comma text into the four fields (later pieces dropped).
    static DnsServerFields splitFields(const QString &text);
    // The addresses of the nameserver lines of a resolver file's content.
    static QStringList parseServers(const QByteArray &content);
    // The content with its nameserver lines replaced by the given servers.
    static QByteArray replaceServers(const QByteArray &content, const QStringList &servers);

private:
    QString m_path;
    QString m_lastError;
};

} // namespace wv
