#include "app/cli/CliSupport.h"
#include "app/cli/Commands.h"

namespace wv::cli {

int rules(const QStringList &)
{
    err(QStringLiteral("wirevane-cli rules: not available in this build\n"));
    return 1;
}

} // namespace wv::cli
