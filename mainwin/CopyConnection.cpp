#include "mainwin/CopyConnection.h"

#include "refresh/ConnectionRecord.h"

#include <QStringList>

namespace wv {

QString copyConnectionText(const ConnectionRecord &r, CopyField field)
{
    switch (field) {
    case CopyField::HostName:
        return r.HostName;
    case CopyField::Ip:
        return r.RemoteAddressText;
    case CopyField::LocalPort:
        return r.LocalPortText;
    case CopyField::RemotePort:
        return r.RemotePortText;
    case CopyField::Status:
        return r.stateName;
    case CopyField::Timestamp:
        return r.timeText;
    case CopyField::Recognized:
        return r.recognized;
    case CopyField::All:
        break;
    }
    const QStringList lines = {
        QStringLiteral("Hostname: ") + r.HostName,
        QStringLiteral("IP: ") + r.RemoteAddressText,
        QStringLiteral("Local port: ") + r.LocalPortText,
        QStringLiteral("Remote port: ") + r.RemotePortText,
        QStringLiteral("Protocol: ") + r.protocol,
        QStringLiteral("Status: ") + r.stateName,
        QStringLiteral("Aware since: ") + r.timeText,
        QStringLiteral("Recognized as: ") + r.recognized,
    };
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace wv
