#include "monitor/refresh/ProcNetSource.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cstring>
#include <tuple>

namespace wv {

namespace {

// The kernel prints each 32-bit word of an address with %08X from the
// in-memory (network-order) bytes read as a native integer; copying the
// integer back to memory gives the bytes in network order on any host.
bool parseWord(QByteArrayView hex, std::array<unsigned char, 4> &bytes)
{
    bool ok = false;
    const quint32 v = QByteArray(hex.data(), hex.size()).toUInt(&ok, 16);
    if (!ok)
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
    bool ok = false;
    port = QByteArray(field.sliced(colon + 1).data(), field.size() - colon - 1).toInt(&ok, 16);
    if (!ok || port < 0 || port > 65535)
        return false;
    std::array<unsigned char, 4> v4{};
    if (!ipv6) {
        if (hexAddr.size() != 8 || !parseWord(hexAddr, v4))
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
    address = QStringLiteral("%1.%2.%3.%4").arg(v4[0]).arg(v4[1]).arg(v4[2]).arg(v4[3]);
    return true;
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
    bool header = true;
    for (const QByteArray &line : text.split('\n')) {
        if (header) {
            header = false;
            continue;
        }
        // sl local_address rem_address st ...
        QList<QByteArray> fields;
        for (const QByteArray &f : line.simplified().split(' ')) {
            if (!f.isEmpty())
                fields.append(f);
            if (fields.size() == 4)
                break;
        }
        if (fields.size() < 4)
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
        bool ok = false;
        const int st = fields[3].toInt(&ok, 16);
        if (!ok)
            continue;
        rows.append(SnapshotRow::tcp(local, localPort, remote, remotePort, mibStateFromLinux(st)));
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
