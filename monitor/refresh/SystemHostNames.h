#pragma once

#include "monitor/refresh/MonitorServices.h"

namespace wv {

// Reverse look-ups through the C library's resolver, one blocking call per
// address, for the headless companion. An address without a name gives an
// empty name, as a failed look-up does in the window.
class SystemHostNames : public HostNameProvider
{
public:
    QString GetHostName(const QString &address) override;
};

} // namespace wv
