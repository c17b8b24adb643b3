#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace wv {

// Encodes an image as a single-frame GIF89a (Qt reads GIF but cannot write
// it). Colours are reduced to one 256-entry palette with error diffusion;
// pixels less than half opaque become the transparent colour.
QByteArray encodeGif(const QImage &image);
bool writeGif(const QImage &image, const QString &path);

// The LZW code stream of GIF for indices of `minCodeSize` bits, without the
// sub-block framing.
QByteArray lzwEncode(const QByteArray &indices, int minCodeSize);

} // namespace wv
