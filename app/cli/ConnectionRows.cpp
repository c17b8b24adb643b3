#include "app/cli/ConnectionRows.h"

#include "engine/DirectConnectionList.h"
#include "engine/PloverIpConnectionList.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

#include <arpa/inet.h>

namespace wv::cli {

namespace {

// Collects output and hands it on in pieces that stay in the cache.
class Buffer
{
public:
    explicit Buffer(const OutputWriter &write) : m_write(write) {}
    ~Buffer() { flush(); }
    Buffer(const Buffer &) = delete;
    Buffer &operator=(const Buffer &) = delete;

    // Room for at least n more bytes.
    char *reserve(qsizetype n)
    {
        if (m_used + n > qsizetype(m_data.size()))
            flush();
        return m_data.data() + m_used;
    }
    void commit(char *end) { m_used = end - m_data.data(); }
    void append(const char *s, qsizetype n)
    {
        while (n > 0) {
            const qsizetype piece = std::min(n, qsizetype(m_data.size()) - m_used);
            std::memcpy(m_data.data() + m_used, s, size_t(piece));
            m_used += piece;
            s += piece;
            n -= piece;
            if (m_used == qsizetype(m_data.size()))
                flush();
        }
    }
    void append(const char *s) { append(s, qsizetype(std::strlen(s))); }
    void append(const QByteArray &b) { append(b.constData(), b.size()); }
    void flush()
    {
        if (m_used > 0)
            m_write(m_data.data(), m_used);
        m_used = 0;
    }

private:
    const OutputWriter &m_write;
    std::array<char, 64 * 1024> m_data;
    qsizetype m_used = 0;
};

int digits(qint64 v)
{
    std::array<char, 24> b;
    return int(std::to_chars(b.data(), b.data() + b.size(), v).ptr - b.data());
}

// The address text of a row: dotted IPv4 or the usual IPv6 form.
char *putAddress(char *p, const TIpConnInfo &c, bool remote)
{
    if (c.Family() == 6) {
        char text[INET6_ADDRSTRLEN];
        const auto &a = remote ? c.RemoteAddress6Bytes() : c.LocalAddress6Bytes();
        if (!::inet_ntop(AF_INET6, a.data(), text, sizeof text))
            return p;
        const size_t n = std::strlen(text);
        std::memcpy(p, text, n);
        return p + n;
    }
    const IpAddressBytes &a = remote ? c.RemoteAddressBytes() : c.LocalAddressBytes();
    for (size_t i = 0; i < 4; ++i) {
        if (i > 0)
            *p++ = '.';
        p = std::to_chars(p, p + 3, int(a[i])).ptr;
    }
    return p;
}

int addressLength(const TIpConnInfo &c, bool remote)
{
    char text[INET6_ADDRSTRLEN + 1];
    return int(putAddress(text, c, remote) - text);
}

bool wanted(const TIpConnInfo &c, const RowOptions &o)
{
    return o.family == 0 || c.Family() == o.family;
}

// A JSON string literal, quotes included.
QByteArray jsonString(const QString &s)
{
    const QByteArray array = QJsonDocument(QJsonArray{s}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

char *putNumber(char *p, qint64 v)
{
    return std::to_chars(p, p + 20, v).ptr;
}

char *pad(char *p, int count)
{
    std::memset(p, ' ', size_t(std::max(0, count)));
    return p + std::max(0, count);
}

// State names and protocols come from a handful of values; convert each once.
class Texts
{
public:
    const QByteArray &state(qint32 code)
    {
        // Slot 0 holds the name of every code outside 1..12.
        const size_t i = code >= 1 && code <= 12 ? size_t(code) : 0;
        if (m_states[i].isEmpty())
            m_states[i] = TcpStateName(qint32(i)).toUtf8();
        return m_states[i];
    }
    const QByteArray &protocol(const TIpConnInfo &c)
    {
        const QString p = c.Protocol();
        if (p != m_protocolOf || m_protocol.isEmpty()) {
            m_protocolOf = p;
            m_protocol = p.toUtf8();
        }
        return m_protocol;
    }

private:
    std::array<QByteArray, 13> m_states;
    QString m_protocolOf;
    QByteArray m_protocol;
};

template <typename Rows>
void writeText(const Rows &list, const OutputWriter &write, const RowOptions &options)
{
    static const char *const header[10] = {
        "PROTO", "LOCAL ADDRESS", "LOCAL PORT", "REMOTE ADDRESS", "REMOTE PORT",
        "STATE", "PID",           "PROGRAM",    "SENT",           "RECEIVED"};
    // The columns printed, in order; the last one is not padded.
    std::vector<int> columns = {0, 1, 2, 3, 4, 5};
    if (options.process)
        columns.insert(columns.end(), {6, 7});
    if (options.bytes)
        columns.insert(columns.end(), {8, 9});
    std::array<int, 10> widths{};
    for (int c : columns)
        widths[size_t(c)] = int(std::strlen(header[c]));
    const int count = list.Count();
    Texts texts;
    for (int i = 0; i < count; ++i) {
        const TIpConnInfo &c = *list.Items(i);
        if (!wanted(c, options))
            continue;
        widths[0] = std::max(widths[0], int(texts.protocol(c).size()));
        widths[1] = std::max(widths[1], addressLength(c, false));
        widths[2] = std::max(widths[2], digits(c.LocalPort()));
        widths[3] = std::max(widths[3], addressLength(c, true));
        widths[4] = std::max(widths[4], digits(c.RemotePort()));
        widths[5] = std::max(widths[5], int(texts.state(c.State()).size()));
        widths[6] = std::max(widths[6], c.Pid() ? digits(c.Pid()) : 1);
        widths[7] = std::max(widths[7], int(c.Program().toUtf8().size()));
        widths[8] = std::max(widths[8], c.BytesSent() >= 0 ? digits(c.BytesSent()) : 1);
        widths[9] = std::max(widths[9], c.BytesReceived() >= 0 ? digits(c.BytesReceived()) : 1);
    }
    Buffer out(write);
    // One cell: padded to its column unless it is the last one.
    auto cell = [&](size_t k, const char *s, qsizetype n) {
        out.append(s, n);
        if (k + 1 < columns.size()) {
            char *p = out.reserve(widths[size_t(columns[k])] + 2);
            out.commit(pad(p, widths[size_t(columns[k])] + 2 - int(n)));
        }
    };
    for (size_t k = 0; k < columns.size(); ++k)
        cell(k, header[columns[k]], qsizetype(std::strlen(header[columns[k]])));
    out.append("\n", 1);
    for (int i = 0; i < count; ++i) {
        const TIpConnInfo &c = *list.Items(i);
        if (!wanted(c, options))
            continue;
        for (size_t k = 0; k < columns.size(); ++k) {
            char b[64];
            char *e = b;
            switch (columns[k]) {
            case 0:
                cell(k, texts.protocol(c).constData(), texts.protocol(c).size());
                continue;
            case 1:
            case 3:
                e = putAddress(b, c, columns[k] == 3);
                break;
            case 2:
                e = putNumber(b, c.LocalPort());
                break;
            case 4:
                e = putNumber(b, c.RemotePort());
                break;
            case 5:
                cell(k, texts.state(c.State()).constData(), texts.state(c.State()).size());
                continue;
            case 6:
                e = c.Pid() ? putNumber(b, c.Pid()) : (*b = '-', b + 1);
                break;
            case 7: {
                const QByteArray program = c.Program().isEmpty() ? "-" : c.Program().toUtf8();
                cell(k, program.constData(), program.size());
                continue;
            }
            case 8:
                e = c.BytesSent() >= 0 ? putNumber(b, c.BytesSent()) : (*b = '-', b + 1);
                break;
            default:
                e = c.BytesReceived() >= 0 ? putNumber(b, c.BytesReceived()) : (*b = '-', b + 1);
            }
            cell(k, b, e - b);
        }
        out.append("\n", 1);
    }
}

template <typename Rows>
void writeJson(const Rows &list, const OutputWriter &write, const RowOptions &options)
{
    Buffer out(write);
    const int count = list.Count();
    int last = -1;
    for (int i = 0; i < count; ++i) {
        if (wanted(*list.Items(i), options))
            last = i;
    }
    if (last < 0) {
        out.append("[\n]\n");
        return;
    }
    out.append("[\n");
    Texts texts;
    // Keys in the order QJsonObject keeps them (sorted); only the program
    // name may need escaping.
    for (int i = 0; i <= last; ++i) {
        const TIpConnInfo &c = *list.Items(i);
        if (!wanted(c, options))
            continue;
        char *p = out.reserve(512);
        auto text = [&p](const char *s) {
            const size_t n = std::strlen(s);
            std::memcpy(p, s, n);
            p += n;
        };
        text("    {\n");
        if (options.bytes) {
            text("        \"bytesReceived\": ");
            p = c.BytesReceived() >= 0 ? putNumber(p, c.BytesReceived()) : (text("null"), p);
            text(",\n        \"bytesSent\": ");
            p = c.BytesSent() >= 0 ? putNumber(p, c.BytesSent()) : (text("null"), p);
            text(",\n");
        }
        text("        \"localAddress\": \"");
        p = putAddress(p, c, false);
        text("\",\n        \"localPort\": ");
        p = putNumber(p, c.LocalPort());
        text(",\n");
        if (options.process) {
            text("        \"pid\": ");
            p = c.Pid() ? putNumber(p, c.Pid()) : (text("null"), p);
            text(",\n        \"program\": ");
            out.commit(p);
            out.append(c.Program().isEmpty() ? QByteArray("null") : jsonString(c.Program()));
            p = out.reserve(256);
            text(",\n");
        }
        text("        \"protocol\": \"");
        out.commit(p);
        out.append(texts.protocol(c));
        p = out.reserve(256);
        text("\",\n        \"remoteAddress\": \"");
        p = putAddress(p, c, true);
        text("\",\n        \"remotePort\": ");
        p = putNumber(p, c.RemotePort());
        text(",\n        \"state\": \"");
        out.commit(p);
        out.append(texts.state(c.State()));
        out.append(i < last ? "\"\n    },\n" : "\"\n    }\n");
    }
    out.append("]\n");
}

// The rows of a list taken by the companion itself (another host's).
struct RowVector
{
    const std::vector<TIpConnInfo> &rows;
    int Count() const { return int(rows.size()); }
    const TIpConnInfo *Items(int i) const { return &rows[size_t(i)]; }
};

// The rows of the list read straight from the socket tables, made one at a
// time as the writers ask for them.
struct DirectRows
{
    const DirectConnectionList &list;
    mutable TIpConnInfo row{QString()};
    int Count() const { return list.Count(); }
    const TIpConnInfo *Items(int i) const
    {
        row = list.Items(i);
        return &row;
    }
};

} // namespace

void writeConnectionsText(const DirectConnectionList &list, const OutputWriter &write,
                          const RowOptions &options)
{
    writeText(DirectRows{list}, write, options);
}

void writeConnectionsJson(const DirectConnectionList &list, const OutputWriter &write,
                          const RowOptions &options)
{
    writeJson(DirectRows{list}, write, options);
}

void writeConnectionsText(const TPloverIpConnectionList &list, const OutputWriter &write,
                          const RowOptions &options)
{
    writeText(list, write, options);
}

void writeConnectionsJson(const TPloverIpConnectionList &list, const OutputWriter &write,
                          const RowOptions &options)
{
    writeJson(list, write, options);
}

void writeConnectionsText(const std::vector<TIpConnInfo> &rows, const OutputWriter &write,
                          const RowOptions &options)
{
    writeText(RowVector{rows}, write, options);
}

void writeConnectionsJson(const std::vector<TIpConnInfo> &rows, const OutputWriter &write,
                          const RowOptions &options)
{
    writeJson(RowVector{rows}, write, options);
}

QByteArray connectionsText(const TPloverIpConnectionList &list, const RowOptions &options)
{
    QByteArray out;
    writeConnectionsText(
        list, [&out](const char *d, qsizetype n) { out.append(d, n); }, options);
    return out;
}

QByteArray connectionsJson(const TPloverIpConnectionList &list, const RowOptions &options)
{
    QByteArray out;
    writeConnectionsJson(
        list, [&out](const char *d, qsizetype n) { out.append(d, n); }, options);
    return out;
}

} // namespace wv::cli
