#include "app/cli/CliSupport.h"
#include "app/cli/Commands.h"

namespace wv::cli {

int resolve(const QStringList &)
{
    err(QStringLiteral("wirevane-cli resolve: not available in this build\n"));
    return 1;
}

} // namespace wv::cli
