#include "app/cli/CliSupport.h"
#include "app/cli/Commands.h"

namespace wv::cli {

int connections(const QStringList &)
{
    err(QStringLiteral("wirevane-cli connections: not available in this build\n"));
    return 1;
}

int counters(const QStringList &)
{
    err(QStringLiteral("wirevane-cli counters: not available in this build\n"));
    return 1;
}

int walk(const QStringList &)
{
    err(QStringLiteral("wirevane-cli walk: not available in this build\n"));
    return 1;
}

} // namespace wv::cli
