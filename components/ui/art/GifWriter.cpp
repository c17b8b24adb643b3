#include "components/ui/art/GifWriter.h"

#include "settings/AtomicFile.h"

#include <QFile>
#include <QHash>

#include <algorithm>
#include <array>
#include <limits>

namespace wv {

namespace {

class BitWriter
{
public:
    void write(quint32 code, int bits)
    {
        m_acc |= code << m_count;
        m_count += bits;
        while (m_count >= 8) {
            m_out.append(static_cast<char>(m_acc & 0xFF));
            m_acc >>= 8;
            m_count -= 8;
        }
    }
    QByteArray finish()
    {
        if (m_count > 0)
            m_out.append(static_cast<char>(m_acc & 0xFF));
        m_acc = 0;
        m_count = 0;
        return m_out;
    }

private:
    QByteArray m_out;
    quint32 m_acc = 0;
    int m_count = 0;
};

void putWord(QByteArray &out, int v)
{
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>((v >> 8) & 0xFF));
}

int distance(QRgb a, QRgb b)
{
    const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
    return dr * dr + dg * dg + db * db;
}

} // namespace

QByteArray lzwEncode(const QByteArray &indices, int minCodeSize)
{
    const quint32 clearCode = 1u << minCodeSize;
    const quint32 endCode = clearCode + 1;
    constexpr quint32 MaxCode = 4095;
    BitWriter bits;
    int codeSize = minCodeSize + 1;
    quint32 lastCode = endCode; // the last code given out
    QHash<quint32, quint32> table;
    bits.write(clearCode, codeSize);
    if (indices.isEmpty()) {
        bits.write(endCode, codeSize);
        return bits.finish();
    }
    quint32 prefix = static_cast<quint8>(indices[0]);
    for (qsizetype i = 1; i < indices.size(); ++i) {
        const quint32 k = static_cast<quint8>(indices[i]);
        const quint32 key = (prefix << 8) | k;
        const auto it = table.constFind(key);
        if (it != table.constEnd()) {
            prefix = *it;
            continue;
        }
        bits.write(prefix, codeSize);
        table.insert(key, ++lastCode);
        // The decoder adds its entries one code later, so the width grows
        // once the code just given out no longer fits.
        if (lastCode >= (1u << codeSize))
            ++codeSize;
        if (lastCode == MaxCode) {
            bits.write(clearCode, codeSize);
            table.clear();
            codeSize = minCodeSize + 1;
            lastCode = endCode;
        }
        prefix = k;
    }
    bits.write(prefix, codeSize);
    bits.write(endCode, codeSize);
    return bits.finish();
}

QByteArray encodeGif(const QImage &source)
{
    const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
    const int w = argb.width(), h = argb.height();
    if (w <= 0 || h <= 0 || w > 0xFFFF || h > 0xFFFF)
        return {};

    // Transparency in GIF is one palette entry: pixels less than half opaque
    // take it, the others lose their alpha.
    // The see-through pixels take a colour the image has anyway, so that they
    // cost no palette entry of their own.
    QRgb filler = qRgb(0, 0, 0);
    bool anyTransparent = false, anyOpaque = false;
    for (int y = 0; y < h && !(anyOpaque && anyTransparent); ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if (qAlpha(in[x]) < 128) {
                anyTransparent = true;
            } else if (!anyOpaque) {
                anyOpaque = true;
                filler = qRgb(qRed(in[x]), qGreen(in[x]), qBlue(in[x]));
            }
        }
    }
    QImage opaque(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        QRgb *out = reinterpret_cast<QRgb *>(opaque.scanLine(y));
        for (int x = 0; x < w; ++x)
            out[x] = qAlpha(in[x]) < 128 ? filler : qRgb(qRed(in[x]), qGreen(in[x]), qBlue(in[x]));
    }
    QImage indexed = opaque.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
    QVector<QRgb> palette = indexed.colorTable();

    std::array<qint64, 256> use{};
    for (int y = 0; y < h; ++y) {
        const uchar *line = indexed.constScanLine(y);
        for (int x = 0; x < w; ++x)
            ++use[line[x]];
    }
    int transparentIndex = -1;
    if (anyTransparent) {
        if (palette.size() < 256) {
            transparentIndex = static_cast<int>(palette.size());
            palette.append(qRgb(0, 0, 0));
        } else {
            // Free the least used entry by moving its pixels to the nearest
            // other colour.
            const int freed = static_cast<int>(
                std::min_element(use.begin(), use.begin() + palette.size()) - use.begin());
            int nearest = freed == 0 ? 1 : 0;
            for (int i = 0; i < palette.size(); ++i) {
                if (i != freed && distance(palette[i], palette[freed]) <
                                      distance(palette[nearest], palette[freed]))
                    nearest = i;
            }
            for (int y = 0; y < h; ++y) {
                uchar *line = indexed.scanLine(y);
                for (int x = 0; x < w; ++x) {
                    if (line[x] == freed)
                        line[x] = static_cast<uchar>(nearest);
                }
            }
            transparentIndex = freed;
        }
    }
    palette.resize(256, qRgb(0, 0, 0));

    QByteArray pixels;
    pixels.reserve(qsizetype(w) * h);
    for (int y = 0; y < h; ++y) {
        const uchar *line = indexed.constScanLine(y);
        const QRgb *in = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const bool clear = transparentIndex >= 0 && qAlpha(in[x]) < 128;
            pixels.append(static_cast<char>(clear ? transparentIndex : line[x]));
        }
    }

    QByteArray out("GIF89a");
    putWord(out, w);
    putWord(out, h);
    out.append(static_cast<char>(0xF7)); // global table of 256 colours, 8 bits each
    out.append('\0');                    // background colour
    out.append('\0');                    // no aspect ratio
    for (QRgb c : palette) {
        out.append(static_cast<char>(qRed(c)));
        out.append(static_cast<char>(qGreen(c)));
        out.append(static_cast<char>(qBlue(c)));
    }
    if (transparentIndex >= 0) {
        out.append("\x21\xF9\x04\x01", 4); // graphic control: transparent colour given
        putWord(out, 0);
        out.append(static_cast<char>(transparentIndex));
        out.append('\0');
    }
    out.append(static_cast<char>(0x2C));
    putWord(out, 0);
    putWord(out, 0);
    putWord(out, w);
    putWord(out, h);
    out.append('\0'); // no local table, not interlaced
    constexpr int MinCodeSize = 8;
    out.append(static_cast<char>(MinCodeSize));
    const QByteArray code = lzwEncode(pixels, MinCodeSize);
    for (qsizetype pos = 0; pos < code.size(); pos += 255) {
        const qsizetype n = std::min<qsizetype>(255, code.size() - pos);
        out.append(static_cast<char>(n));
        out.append(code.constData() + pos, n);
    }
    out.append('\0');
    out.append(static_cast<char>(0x3B));
    return out;
}

bool writeGif(const QImage &image, const QString &path)
{
    const QByteArray bytes = encodeGif(image);
    if (bytes.isEmpty())
        return false;
    return writeFileAtomically(path, bytes);
}

} // namespace wv
