#include "app/cli/ConnectionRows.h"

#include "engine/PloverIpConnectionList.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

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

int addressLength(const IpAddressBytes &a)
{
    return 3 + digits(a[0]) + digits(a[1]) + digits(a[2]) + digits(a[3]);
}

char *putAddress(char *p, const IpAddressBytes &a)
{
    for (size_t i = 0; i < 4; ++i) {
        if (i > 0)
            *p++ = '.';
        p = std::to_chars(p, p + 3, int(a[i])).ptr;
    }
    return p;
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

} // namespace

void writeConnectionsText(const TPloverIpConnectionList &list, const OutputWriter &write)
{
    static const char *const header[6] = {"PROTO",          "LOCAL ADDRESS", "LOCAL PORT",
                                          "REMOTE ADDRESS", "REMOTE PORT",   "STATE"};
    std::array<int, 5> widths{};
    for (size_t c = 0; c < 5; ++c)
        widths[c] = int(std::strlen(header[c]));
    const int count = list.Count();
    Texts texts;
    for (int i = 0; i < count; ++i) {
        const TIpConnInfo &c = *list.Items(i);
        widths[0] = std::max(widths[0], int(texts.protocol(c).size()));
        widths[1] = std::max(widths[1], addressLength(c.LocalAddressBytes()));
        widths[2] = std::max(widths[2], digits(c.LocalPort()));
        widths[3] = std::max(widths[3], addressLength(c.RemoteAddressBytes()));
        widths[4] = std::max(widths[4], digits(c.RemotePort()));
    }
    Buffer out(write);
    for (size_t c = 0; c < 5; ++c) {
        out.append(header[c]);
        char *p = out.reserve(widths[c] + 2);
        out.commit(pad(p, widths[c] + 2 - int(std::strlen(header[c]))));
    }
    out.append(header[5]);
    out.append("\n", 1);
    for (int i = 0; i < count; ++i) {
        const TIpConnInfo &c = *list.Items(i);
        const QByteArray &protocol = texts.protocol(c);
        out.append(protocol);
        char *start = out.reserve(widths[0] + 2 + 4 * 24);
        char *p = pad(start, widths[0] + 2 - int(protocol.size()));
        char *f = p;
        p = putAddress(p, c.LocalAddressBytes());
        p = pad(p, widths[1] + 2 - int(p - f));
        f = p;
        p = putNumber(p, c.LocalPort());
        p = pad(p, widths[2] + 2 - int(p - f));
        f = p;
        p = putAddress(p, c.RemoteAddressBytes());
        p = pad(p, widths[3] + 2 - int(p - f));
        f = p;
        p = putNumber(p, c.RemotePort());
        p = pad(p, widths[4] + 2 - int(p - f));
        out.commit(p);
        out.append(texts.state(c.State()));
        out.append("\n", 1);
    }
}

void writeConnectionsJson(const TPloverIpConnectionList &list, const OutputWriter &write)
{
    Buffer out(write);
    const int count = list.Count();
    if (count == 0) {
        out.append("[\n]\n");
        return;
    }
    out.append("[\n");
    Texts texts;
    // Keys in the order QJsonObject keeps them (sorted); no value needs escaping.
    for (int i = 0; i < count; ++i) {
        const TIpConnInfo &c = *list.Items(i);
        char *p = out.reserve(256);
        auto text = [&p](const char *s) {
            const size_t n = std::strlen(s);
            std::memcpy(p, s, n);
            p += n;
        };
        text("    {\n        \"localAddress\": \"");
        p = putAddress(p, c.LocalAddressBytes());
        text("\",\n        \"localPort\": ");
        p = putNumber(p, c.LocalPort());
        text(",\n        \"protocol\": \"");
        out.commit(p);
        out.append(texts.protocol(c));
        p = out.reserve(256);
        text("\",\n        \"remoteAddress\": \"");
        p = putAddress(p, c.RemoteAddressBytes());
        text("\",\n        \"remotePort\": ");
        p = putNumber(p, c.RemotePort());
        text(",\n        \"state\": \"");
        out.commit(p);
        out.append(texts.state(c.State()));
        out.append(i + 1 < count ? "\"\n    },\n" : "\"\n    }\n");
    }
    out.append("]\n");
}

QByteArray connectionsText(const TPloverIpConnectionList &list)
{
    QByteArray out;
    writeConnectionsText(list, [&out](const char *d, qsizetype n) { out.append(d, n); });
    return out;
}

QByteArray connectionsJson(const TPloverIpConnectionList &list)
{
    QByteArray out;
    writeConnectionsJson(list, [&out](const char *d, qsizetype n) { out.append(d, n); });
    return out;
}

} // namespace wv::cli
