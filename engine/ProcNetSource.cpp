#include "engine/ProcNetSource.h"

#include <QFile>
#include <QtEndian>

#include <cstring>
#include <set>

namespace wv {

bool ipv4View(const quint8 (&address)[16], bool allowWildcard, quint32 &out)
{
    static const quint8 zero[10] = {};
    if (std::memcmp(address, zero, 10) != 0)
        return false;
    if (address[10] == 0xff && address[11] == 0xff) {
        out = quint32(address[12]) << 24 | quint32(address[13]) << 16 | quint32(address[14]) << 8 |
              address[15];
        return true;
    }
    if (allowWildcard && address[10] == 0 && address[11] == 0 && address[12] == 0 &&
        address[13] == 0 && address[14] == 0 && address[15] == 0) {
        out = 0;
        return true;
    }
    return false;
}

void SocketSource::visitTcp(const SocketVisitor &visit)
{
    std::vector<SocketEntry> entries;
    readTcp(entries);
    for (const SocketEntry &e : entries)
        visit(e);
}

void SocketSource::visitUdp(const SocketVisitor &visit)
{
    std::vector<SocketEntry> entries;
    readUdp(entries);
    for (const SocketEntry &e : entries)
        visit(e);
}

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Reads exactly n hex digits at p (n <= 8).
bool readHex(const char *&p, const char *end, int n, quint32 &value)
{
    if (end - p < n)
        return false;
    quint32 v = 0;
    for (int i = 0; i < n; ++i) {
        const int d = hexDigit(p[i]);
        if (d < 0)
            return false;
        v = v << 4 | quint32(d);
    }
    p += n;
    value = v;
    return true;
}

// One "address:port" field. The kernel prints each 32-bit word of the address
// as a host-order number, so the word's bytes in memory are the address bytes.
bool readEndpoint(const char *&p, const char *end, bool ipv6, quint8 (&address)[16], quint16 &port)
{
    const int words = ipv6 ? 4 : 1;
    std::memset(address, 0, sizeof address);
    for (int i = 0; i < words; ++i) {
        quint32 w;
        if (!readHex(p, end, 8, w))
            return false;
        std::memcpy(address + (ipv6 ? 4 * i : 12), &w, 4);
    }
    if (p == end || *p != ':')
        return false;
    ++p;
    quint32 v;
    if (!readHex(p, end, 4, v))
        return false;
    port = quint16(v);
    return true;
}

bool skipBlanks(const char *&p, const char *end)
{
    const char *start = p;
    while (p < end && *p == ' ')
        ++p;
    return p != start && p < end;
}

bool parseLine(const char *p, const char *end, bool ipv6, bool dualStack, SocketEntry &e)
{
    while (p < end && *p == ' ')
        ++p;
    const char *digits = p;
    while (p < end && *p >= '0' && *p <= '9')
        ++p;
    if (p == digits || p == end || *p != ':')
        return false;
    ++p;
    if (!skipBlanks(p, end))
        return false;
    quint8 local[16], remote[16];
    if (!readEndpoint(p, end, ipv6, local, e.localPort) || !skipBlanks(p, end) ||
        !readEndpoint(p, end, ipv6, remote, e.remotePort) || !skipBlanks(p, end))
        return false;
    quint32 st;
    if (!readHex(p, end, 2, st))
        return false;
    e.state = quint8(st);
    // tx_queue:rx_queue tr:when retrnsmt uid timeout inode
    for (int field = 0; field < 6; ++field) {
        while (p < end && *p == ' ')
            ++p;
        if (field == 5) {
            quint64 inode = 0;
            const char *digitsStart = p;
            while (p < end && *p >= '0' && *p <= '9' && inode <= 0xFFFFFFFFu)
                inode = inode * 10 + quint64(*p++ - '0');
            if (p != digitsStart && inode <= 0xFFFFFFFFu)
                e.inode = quint32(inode);
            break;
        }
        while (p < end && *p != ' ')
            ++p;
    }
    if (!ipv6) {
        e.localAddress = qFromBigEndian<quint32>(local + 12);
        e.remoteAddress = qFromBigEndian<quint32>(remote + 12);
        return true;
    }
    e.ipv6 = true;
    std::memcpy(e.local6.data(), local, 16);
    std::memcpy(e.remote6.data(), remote, 16);
    e.hasIpv4View =
        ipv4View(local, dualStack, e.localAddress) && ipv4View(remote, true, e.remoteAddress);
    if (!e.hasIpv4View)
        e.localAddress = e.remoteAddress = 0;
    return true;
}

QByteArray readWholeFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw SourceError(
            QStringLiteral("cannot open %1: %2").arg(path, f.errorString()).toStdString());
    return f.readAll();
}

} // namespace

void parseProcNetTable(QByteArrayView text, bool ipv6, bool dualStackWildcard,
                       std::vector<SocketEntry> &out)
{
    const char *p = text.data();
    const char *end = p + text.size();
    bool header = true;
    while (p < end) {
        const char *nl = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        const char *lineEnd = nl ? nl : end;
        if (!header) {
            SocketEntry e;
            if (parseLine(p, lineEnd, ipv6, dualStackWildcard, e))
                out.push_back(e);
        }
        header = false;
        p = nl ? nl + 1 : end;
    }
}

ProcNetSource::ProcNetSource(QString folder) : m_folder(std::move(folder)) {}

bool ProcNetSource::worksHere()
{
    QFile f(m_folder + QStringLiteral("/tcp"));
    return f.open(QIODevice::ReadOnly);
}

bool ProcNetSource::dualStackDefault() const
{
    // Without netlink the v6-only flag of a socket is not visible; sockets
    // follow the system default unless they set IPV6_V6ONLY themselves.
    QFile f(QStringLiteral("/proc/sys/net/ipv6/bindv6only"));
    if (m_folder != QLatin1String("/proc/net") || !f.open(QIODevice::ReadOnly))
        return true;
    return f.readAll().trimmed() != "1";
}

void ProcNetSource::readPair(const char *v4, const char *v6, bool tcp,
                             std::vector<SocketEntry> &out)
{
    const size_t first = out.size();
    parseProcNetTable(readWholeFile(m_folder + QLatin1Char('/') + QLatin1String(v4)), false, false,
                      out);
    // A kernel without IPv6 has no tcp6/udp6 file.
    const QString path6 = m_folder + QLatin1Char('/') + QLatin1String(v6);
    if (!QFile::exists(path6) || !dualStackDefault()) {
        if (QFile::exists(path6))
            parseProcNetTable(readWholeFile(path6), true, false, out);
        return;
    }
    // The files do not show a socket's IPV6_V6ONLY flag. A wildcard IPv6
    // socket that accepted IPv4 too would hold its port for IPv4, so an IPv4
    // listener (for UDP: any IPv4 socket) on the same port shows that the
    // IPv6 one is v6-only.
    std::set<quint16> heldByIpv4;
    for (size_t i = first; i < out.size(); ++i) {
        if (!tcp || out[i].state == KernelListen)
            heldByIpv4.insert(out[i].localPort);
    }
    std::vector<SocketEntry> six;
    parseProcNetTable(readWholeFile(path6), true, true, six);
    for (SocketEntry &e : six) {
        // Only the wildcard gives 0.0.0.0 here: a mapped address never does.
        // Such a socket is v6-only: it keeps its IPv6 form alone.
        if (e.hasIpv4View && e.localAddress == 0 && heldByIpv4.count(e.localPort)) {
            e.hasIpv4View = false;
            e.remoteAddress = 0;
        }
        out.push_back(e);
    }
}

void ProcNetSource::readTcp(std::vector<SocketEntry> &out)
{
    readPair("tcp", "tcp6", true, out);
}

void ProcNetSource::readUdp(std::vector<SocketEntry> &out)
{
    readPair("udp", "udp6", false, out);
}

void parseProcSnmp(QByteArrayView text, std::vector<KernelCounter> &out)
{
    const QList<QByteArray> lines = QByteArray(text.data(), text.size()).split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QByteArray &names = lines[i];
        const QByteArray &values = lines[i + 1];
        const qsizetype colon = names.indexOf(':');
        if (colon <= 0 || !values.startsWith(names.left(colon + 1)))
            continue;
        const QList<QByteArray> n = names.mid(colon + 1).simplified().split(' ');
        const QList<QByteArray> v = values.mid(colon + 1).simplified().split(' ');
        bool numeric = n.size() == v.size();
        std::vector<qint64> parsed;
        for (qsizetype k = 0; numeric && k < v.size(); ++k) {
            bool ok = false;
            qint64 x = v[k].toLongLong(&ok);
            if (!ok) // counters beyond 2^63 print as unsigned
                x = qint64(v[k].toULongLong(&ok));
            numeric = ok;
            parsed.push_back(x);
        }
        if (!numeric)
            continue;
        const QByteArray group = names.left(colon);
        for (qsizetype k = 0; k < n.size(); ++k)
            out.push_back({group, n[k], parsed[size_t(k)]});
        ++i;
    }
}

ProcSnmpSource::ProcSnmpSource(QString path) : m_path(std::move(path)) {}

bool ProcSnmpSource::worksHere()
{
    QFile f(m_path);
    return f.open(QIODevice::ReadOnly);
}

void ProcSnmpSource::read(std::vector<KernelCounter> &out)
{
    parseProcSnmp(readWholeFile(m_path), out);
}

} // namespace wv
