#include "settings/Version.h"

namespace wv {

QString programVersion()
{
    return QStringLiteral(WV_VERSION);
}

QString programTitle()
{
    return QStringLiteral("Wirevane ") + programVersion();
}

} // namespace wv
