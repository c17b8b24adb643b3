#include "app/cli/CliSupport.h"
#include "app/cli/Commands.h"

namespace wv::cli {

int port(const QStringList &)
{
    err(QStringLiteral("wirevane-cli port: not available in this build\n"));
    return 1;
}

} // namespace wv::cli
