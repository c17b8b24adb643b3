#include "tools/porttest/PortTestPlacement.h"

#include "settings/RegistryStore.h"

namespace wv {

PortTestPlacement PortTestPlacement::load(const RegistryStore &registry)
{
    PortTestPlacement p;
    p.toolbarAtBottom =
        registry.readString(KeyPath, QStringLiteral("ToolbarDock")) == QLatin1String("bottom");
    bool ok = false;
    const int top = registry.readString(KeyPath, QStringLiteral("tb1Top")).toInt(&ok);
    p.tb1Top = ok && top >= 0 && top < 10000 ? top : 0;
    p.localEcho = registry.readString(KeyPath, QStringLiteral("LocalEcho")) == QLatin1String("1");
    return p;
}

bool PortTestPlacement::save(RegistryStore &registry) const
{
    bool ok =
        registry.writeString(KeyPath, QStringLiteral("ToolbarDock"),
                             toolbarAtBottom ? QStringLiteral("bottom") : QStringLiteral("top"));
    ok = registry.writeString(KeyPath, QStringLiteral("tb1Top"), QString::number(tb1Top)) && ok;
    ok = registry.writeString(KeyPath, QStringLiteral("LocalEcho"),
                              localEcho ? QStringLiteral("1") : QStringLiteral("0")) &&
         ok;
    return ok;
}

} // namespace wv
