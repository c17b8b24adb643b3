#pragma once

#include <QByteArray>

#include <functional>
#include <vector>

namespace wv {
class DirectConnectionList;
class TIpConnInfo;
class TPloverIpConnectionList;
} // namespace wv

namespace wv::cli {

// The rows of `connections`, formatted straight into a small buffer that is
// handed on whenever it fills: the command must keep up with `ss -tan` on a
// busy server's 20,000 rows, which building a string per cell (or a JSON
// document) does not.
using OutputWriter = std::function<void(const char *data, qsizetype size)>;

// Which rows and fields to print.
struct RowOptions
{
    int family = 0;       // 4 or 6 for that family's rows only, 0 for all
    bool process = false; // the owner: PID and PROGRAM, "pid" and "program"
    bool bytes = false;   // SENT and RECEIVED, "bytesSent" and "bytesReceived"
};

// Aligned columns under a header, as formatTable lays them out.
void writeConnectionsText(const TPloverIpConnectionList &list, const OutputWriter &write,
                          const RowOptions &options = {});
// The same array QJsonDocument's indented form gives.
void writeConnectionsJson(const TPloverIpConnectionList &list, const OutputWriter &write,
                          const RowOptions &options = {});

// The same for the list read straight from the socket tables.
void writeConnectionsText(const DirectConnectionList &list, const OutputWriter &write,
                          const RowOptions &options = {});
void writeConnectionsJson(const DirectConnectionList &list, const OutputWriter &write,
                          const RowOptions &options = {});

// The same for rows the companion holds itself (another host's).
void writeConnectionsText(const std::vector<TIpConnInfo> &rows, const OutputWriter &write,
                          const RowOptions &options = {});
void writeConnectionsJson(const std::vector<TIpConnInfo> &rows, const OutputWriter &write,
                          const RowOptions &options = {});

QByteArray connectionsText(const TPloverIpConnectionList &list, const RowOptions &options = {});
QByteArray connectionsJson(const TPloverIpConnectionList &list, const RowOptions &options = {});

} // namespace wv::cli
