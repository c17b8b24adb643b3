#include "monitor/refresh/ProcNetSource.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <tuple>

namespace wv {

namespace {

// Hexadecimal digits to a number; false for an empty or foreign text.
bool parseHex(QByteArrayView hex, quint32 &value)
{
    if (hex.isEmpty() || hex.size() > 8)
        return false;
    quint32 v = 0;
    for (const char c : hex) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else
            return false;
        v = (v << 4) | quint32(d);
    }
    value = v;
    return true;
}

// The kernel prints each 32-bit word of an address with %08X from the
// in-memory (network-order) bytes read as a native integer; copying the
// integer back to memory gives the bytes in network order on any host.
bool parseWord(QByteArrayView hex, std::array<unsigned char, 4> &bytes)
{
    quint32 v = 0;
    if (hex.size() != 8 || !parseHex(hex, v))
        return false;
    std::memcpy(bytes.data(), &v, 4);
    return true;
}

// "0100007F:1F90" or the 32-digit IPv6 form; returns false for an address
// that has no IPv4 meaning.
bool parseEndpoint(QByteArrayView field, bool ipv6, QString &address, int &port)
{
    const qsizetype colon = field.indexOf(':');
    if (colon < 0)
        return false;
    const QByteArrayView hexAddr = field.first(colon);
    quint32 p = 0;
    if (!parseHex(field.sliced(colon + 1), p) || p > 65535)
        return false;
    port = int(p);
    std::array<unsigned char, 4> v4{};
    if (!ipv6) {
        if (!parseWord(hexAddr, v4))
            return false;
    } else {
        if (hexAddr.size() != 32)
            return false;
        std::array<unsigned char, 16> v6{};
        for (int w = 0; w < 4; ++w) {
            std::array<unsigned char, 4> b{};
            if (!parseWord(hexAddr.sliced(w * 8, 8), b))
                return false;
            std::copy(b.begin(), b.end(), v6.begin() + w * 4);
        }
        // ::ffff:a.b.c.d only
        for (int i = 0; i < 10; ++i) {
            if (v6[i] != 0)
                return false;
        }
        if (v6[10] != 0xff || v6[11] != 0xff)
            return false;
        std::copy(v6.begin() + 12, v6.end(), v4.begin());
    }
    char text[16];
    const int n = std::snprintf(text, sizeof text, "%u.%u.%u.%u", v4[0], v4[1], v4[2], v4[3]);
    address = QString::fromLatin1(text, n);
    return true;
}

// The first count blank-separated fields of a line.
int splitFields(QByteArrayView line, QByteArrayView *fields, int count)
{
    int n = 0;
    qsizetype i = 0;
    const qsizetype size = line.size();
    while (n < count) {
        while (i < size && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= size)
            break;
        const qsizetype begin = i;
        while (i < size && line[i] != ' ' && line[i] != '\t')
            ++i;
        fields[n++] = line.sliced(begin, i - begin);
    }
    return n;
}

quint32 addressValue(const QString &dotted)
{
    quint32 v = 0;
    for (const QStringView part : QStringView(dotted).split(QLatin1Char('.')))
        v = (v << 8) | part.toUInt();
    return v;
}

auto orderKey(const SnapshotRow &r)
{
    return std::make_tuple(addressValue(r.localAddress), r.localPort, addressValue(r.remoteAddress),
                           r.remotePort);
}

} // namespace

ProcNetSource::ProcNetSource(QString root) : m_root(std::move(root)) {}

bool ProcNetSource::isAvailable() const
{
    QFile f(m_root + QStringLiteral("/tcp"));
    return f.open(QIODevice::ReadOnly);
}

int ProcNetSource::mibStateFromLinux(int linuxState)
{
    switch (linuxState) {
    case 1:
        return 5; // ESTABLISHED
    case 2:
        return 3; // SYN_SENT
    case 3:
        return 4; // SYN_RECV
    case 4:
        return 6; // FIN_WAIT1
    case 5:
        return 7; // FIN_WAIT2
    case 6:
        return 11; // TIME_WAIT
    case 7:
        return 1; // CLOSE
    case 8:
        return 8; // CLOSE_WAIT
    case 9:
        return 9; // LAST_ACK
    case 10:
        return 2; // LISTEN
    case 11:
        return 10; // CLOSING
    case 12:
        return 4; // NEW_SYN_RECV: a request socket, still a half-open connection
    default:
        return 0;
    }
}

QList<SnapshotRow> ProcNetSource::parseTable(const QByteArray &text, bool ipv6, bool udp)
{
    QList<SnapshotRow> rows;
    const QByteArrayView all(text);
    qsizetype pos = all.indexOf('\n'); // the first line is the header
    while (pos >= 0 && pos < all.size()) {
        const qsizetype begin = pos + 1;
        qsizetype end = all.indexOf('\n', begin);
        if (end < 0)
            end = all.size();
        pos = end;
        // sl local_address rem_address st ...
        QByteArrayView fields[4];
        if (splitFields(all.sliced(begin, end - begin), fields, 4) < 4)
            continue;
        QString local, remote;
        int localPort = 0, remotePort = 0;
        if (!parseEndpoint(fields[1], ipv6, local, localPort) ||
            !parseEndpoint(fields[2], ipv6, remote, remotePort))
            continue;
        if (udp) {
            rows.append(SnapshotRow::udp(local, localPort));
            continue;
        }
        quint32 st = 0;
        if (!parseHex(fields[3], st))
            continue;
        rows.append(
            SnapshotRow::tcp(local, localPort, remote, remotePort, mibStateFromLinux(int(st))));
    }
    return rows;
}

QList<SnapshotRow> ProcNetSource::takeSnapshot()
{
    auto read = [this](const char *name, bool required, QByteArray &out) {
        QFile f(m_root + QLatin1Char('/') + QLatin1String(name));
        if (!f.open(QIODevice::ReadOnly)) {
            if (!required)
                return;
            throw SnapshotError(QStringLiteral("Cannot read %1: %2")
                                    .arg(f.fileName(), f.errorString())
                                    .toStdString());
        }
        out = f.readAll();
    };
    QByteArray tcp4, tcp6, udp4, udp6;
    read("tcp", true, tcp4);
    read("tcp6", false, tcp6);
    read("udp", true, udp4);
    read("udp6", false, udp6);

    QList<SnapshotRow> tcp = parseTable(tcp4, false, false) + parseTable(tcp6, true, false);
    QList<SnapshotRow> udp = parseTable(udp4, false, true) + parseTable(udp6, true, true);
    auto byIndex = [](const SnapshotRow &a, const SnapshotRow &b) {
        return orderKey(a) < orderKey(b);
    };
    std::stable_sort(tcp.begin(), tcp.end(), byIndex);
    std::stable_sort(udp.begin(), udp.end(), byIndex);
    return tcp + udp;
}

} // namespace wv
