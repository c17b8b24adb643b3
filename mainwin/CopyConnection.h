#pragma once

#include <QString>

namespace wv {

struct ConnectionRecord;

// The texts "Copy connection" puts on the clipboard.
enum class CopyField
{
    HostName,
    Ip,
    LocalPort,
    RemotePort,
    Status,
    Timestamp,
    Recognized,
    All // eight labelled lines joined with CR LF, no line end after the last
};

QString copyConnectionText(const ConnectionRecord &record, CopyField field);

} // namespace wv
