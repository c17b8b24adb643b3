#include "app/cli/CliSupport.h"
#include "app/cli/Commands.h"

namespace wv::cli {

int watch(const QStringList &)
{
    err(QStringLiteral("wirevane-cli watch: not available in this build\n"));
    return 1;
}

} // namespace wv::cli
