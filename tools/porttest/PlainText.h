#pragma once

#include <QByteArray>
#include <QString>

namespace wv {

// What a service sent, as plain text: terminal control sequences (CSI, OSC,
// two-byte escapes) and other control characters removed, CR LF, LF CR and
// lone CR or LF turned into "\n", tabs kept. Bytes that are not UTF-8 are
// read as Latin-1.
QString plainText(const QByteArray &bytes);

} // namespace wv
