#pragma once

#include <QByteArray>

#include <functional>

namespace wv {
class TPloverIpConnectionList;
}

namespace wv::cli {

// The rows of `connections`, formatted straight into a small buffer that is
// handed on whenever it fills: the command must keep up with `ss -tan` on a
// busy server's 20,000 rows, which building a string per cell (or a JSON
// document) does not.
using OutputWriter = std::function<void(const char *data, qsizetype size)>;

// Aligned columns under a header, as formatTable lays them out.
void writeConnectionsText(const TPloverIpConnectionList &list, const OutputWriter &write);
// The same array QJsonDocument's indented form gives.
void writeConnectionsJson(const TPloverIpConnectionList &list, const OutputWriter &write);

QByteArray connectionsText(const TPloverIpConnectionList &list);
QByteArray connectionsJson(const TPloverIpConnectionList &list);

} // namespace wv::cli
