#include "settings/DnsServerList.h"

#include "settings/DebugTrace.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <arpa/inet.h>

namespace wv {

const QString DnsServerList::RejectMessage =
    QStringLiteral("A DNS Server must be in numerical IP form! (###.###.###.###)");
const QString DnsServerList::DefaultPath = QStringLiteral("/etc/resolv.conf");

namespace {

constexpr char kKeyword[] = "nameserver";
constexpr int kKeywordLength = sizeof(kKeyword) - 1;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// glibc takes a line as a nameserver line only when the keyword starts it and
// a blank follows; the address is the next word.
bool nameserverAddress(const QByteArray &line, QByteArray *address)
{
    if (!line.startsWith(kKeyword) || line.size() <= kKeywordLength ||
        !isBlank(line.at(kKeywordLength)))
        return false;
    const QByteArray rest = line.mid(kKeywordLength).trimmed();
    qsizetype end = 0;
    while (end < rest.size() && !isBlank(rest.at(end)) && rest.at(end) != '#' &&
           rest.at(end) != ';')
        ++end;
    *address = rest.left(end);
    return true;
}

struct Line
{
    QByteArray text;
    QByteArray eol;
};

QList<Line> splitLines(const QByteArray &content)
{
    QList<Line> lines;
    qsizetype start = 0;
    while (start < content.size()) {
        const qsizetype nl = content.indexOf('\n', start);
        if (nl < 0) {
            lines.append({content.mid(start), QByteArray()});
            break;
        }
        qsizetype textEnd = nl;
        if (textEnd > start && content.at(textEnd - 1) == '\r')
            --textEnd;
        lines.append({content.mid(start, textEnd - start), content.mid(textEnd, nl + 1 - textEnd)});
        start = nl + 1;
    }
    return lines;
}

QByteArray readAll(const QString &path, bool *ok = nullptr)
{
    QFile f(path);
    const bool opened = f.open(QIODevice::ReadOnly);
    if (ok)
        *ok = opened;
    return opened ? f.readAll() : QByteArray();
}

} // namespace

QString DnsServerList::systemPath()
{
    const QString env = qEnvironmentVariable("WIREVANE_RESOLV_CONF");
    return env.isEmpty() ? DefaultPath : env;
}

DnsServerList::DnsServerList(QString path) : m_path(std::move(path)) {}

bool DnsServerList::acceptServerText(const QString &text)
{
    for (QChar c : text) {
        if (c.isSpace() || c.category() == QChar::Other_Control)
            return false;
    }
    bool letters = false;
    for (QChar c : text)
        letters = letters || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                  (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
    if (!letters)
        return true;
    // IPv6 servers are written with the hexadecimal letters a to f.
    unsigned char buffer[16];
    return inet_pton(AF_INET6, text.toLatin1().constData(), buffer) == 1;
}

QString DnsServerList::joinFields(const DnsServerFields &fields)
{
    QString text = fields[0] + QLatin1Char(',') + fields[1] + QLatin1Char(',') + fields[2] +
                   QLatin1Char(',') + fields[3] + QLatin1Char(',');
    for (int i = 0; i < 4; ++i) {
        if (text.endsWith(QLatin1Char(',')))
            text.chop(1);
    }
    return text;
}

DnsServerFields DnsServerList::splitFields(const QString &text)
{
    const QStringList pieces = (text + QStringLiteral(",,,,")).split(QLatin1Char(','));
    return {pieces.at(0), pieces.at(1), pieces.at(2), pieces.at(3)};
}

QStringList DnsServerList::parseServers(const QByteArray &content)
{
    QStringList servers;
    for (const Line &line : splitLines(content)) {
        QByteArray address;
        if (nameserverAddress(line.text, &address) && !address.isEmpty())
            servers.append(QString::fromUtf8(address));
    }
    return servers;
}

QByteArray DnsServerList::replaceServers(const QByteArray &content, const QStringList &servers)
{
    const QList<Line> lines = splitLines(content);
    QByteArray eol = "\n";
    for (const Line &line : lines) {
        if (!line.eol.isEmpty()) {
            eol = line.eol;
            break;
        }
    }
    QByteArray block;
    for (const QString &s : servers)
        block += QByteArray(kKeyword) + ' ' + s.toUtf8() + eol;

    QByteArray out;
    bool placed = false;
    for (const Line &line : lines) {
        QByteArray address;
        if (nameserverAddress(line.text, &address)) {
            if (!placed)
                out += block;
            placed = true;
            continue;
        }
        out += line.text + line.eol;
    }
    if (!placed) {
        if (!out.isEmpty() && !out.endsWith('\n'))
            out += eol;
        out += block;
    }
    return out;
}

QStringList DnsServerList::servers() const
{
    return parseServers(readAll(m_path));
}

DnsServerFields DnsServerList::LoadDNSServers()
{
    DebugLog(QStringLiteral("LoadDNSServers"));
    DebugLog(QStringLiteral("detected Linux - loading resolver file: ") + m_path);
    return splitFields(servers().join(QLatin1Char(',')));
}

bool DnsServerList::SaveDNSServers(const DnsServerFields &fields)
{
    DebugLog(QStringLiteral("SaveDNSServers;"));
    DebugLog(QStringLiteral("detected Linux - WRITING resolver file: ") + m_path);
    m_lastError.clear();
    QStringList list;
    for (const QString &piece : joinFields(fields).split(QLatin1Char(','))) {
        // The file has no way to hold an empty place between two servers.
        if (piece.isEmpty())
            continue;
        if (!acceptServerText(piece)) {
            m_lastError = RejectMessage;
            return false;
        }
        list.append(piece);
    }

    bool existed = false;
    const QByteArray old = readAll(m_path, &existed);
    if (!existed && QFileInfo::exists(m_path)) {
        m_lastError = QStringLiteral("Cannot read %1.").arg(m_path);
        return false;
    }
    const QByteArray content = replaceServers(old, list);
    if (existed && content == old)
        return true;

    const QFileInfo info(m_path);
    // A rename into a writable folder would replace even a read-only file.
    if (info.exists() && !info.isWritable()) {
        m_lastError =
            QStringLiteral("Cannot write the DNS servers to %1: Permission denied.").arg(m_path);
        return false;
    }
    QSaveFile f(m_path);
    if (!f.open(QIODevice::WriteOnly)) {
        m_lastError =
            QStringLiteral("Cannot write the DNS servers to %1: %2.").arg(m_path, f.errorString());
        return false;
    }
    if (f.write(content) != content.size() || !f.commit()) {
        m_lastError =
            QStringLiteral("Cannot write the DNS servers to %1: %2.").arg(m_path, f.errorString());
        return false;
    }
    return true;
}

QString DnsServerList::managedBy() const
{
    const QFileInfo info(m_path);
    if (info.isSymLink()) {
        const QString target = info.symLinkTarget();
        if (target.startsWith(QLatin1String("/run/"))) {
            if (target.contains(QLatin1String("systemd/resolve")))
                return QStringLiteral("systemd-resolved");
            if (target.contains(QLatin1String("NetworkManager")))
                return QStringLiteral("NetworkManager");
            if (target.contains(QLatin1String("resolvconf")))
                return QStringLiteral("resolvconf");
            return QStringLiteral("the program that keeps %1").arg(target);
        }
    }
    // Generators announce themselves in the comment lines at the top.
    for (const Line &line : splitLines(readAll(m_path).left(4096))) {
        const QByteArray t = line.text.trimmed();
        if (t.isEmpty())
            continue;
        if (!t.startsWith('#') && !t.startsWith(';'))
            break;
        if (t.contains("NetworkManager"))
            return QStringLiteral("NetworkManager");
        if (t.contains("systemd-resolved"))
            return QStringLiteral("systemd-resolved");
        if (t.contains("resolvconf"))
            return QStringLiteral("resolvconf");
    }
    return {};
}

QString DnsServerList::managedWarning() const
{
    const QString by = managedBy();
    if (by.isEmpty())
        return {};
    return QStringLiteral("%1 is managed by %2, which will overwrite the DNS servers written "
                          "here the next time it updates the file.\n\nWrite them anyway?")
        .arg(m_path, by);
}

} // namespace wv
