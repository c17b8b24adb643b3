#include "mainwin/PanelFlags.h"

#include "settings/RegistryStore.h"
#include "settings/Settings.h"

#include <array>
#include <utility>

namespace wv {

namespace {

struct FlagField
{
    const char *name;
    bool PanelFlags::*member;
};

constexpr std::array<FlagField, 6> Fields{{
    {"main", &PanelFlags::main},
    {"ip", &PanelFlags::ip},
    {"hostname", &PanelFlags::hostname},
    {"ping", &PanelFlags::ping},
    {"lights", &PanelFlags::lights},
    {"progress", &PanelFlags::progress},
}};

} // namespace

PanelFlagsStore::PanelFlagsStore(RegistryStore &registry, std::function<void(bool)> lightsSwitch)
    : m_registry(registry), m_lightsSwitch(std::move(lightsSwitch))
{
}

PanelFlags PanelFlagsStore::load()
{
    const QString key = QString::fromLatin1(PanelsKey);
    PanelFlags flags;
    for (const FlagField &f : Fields) {
        const QString text = m_registry.readString(key, QString::fromLatin1(f.name));
        // Stored booleans are integers: any non-zero number is true.
        flags.*f.member = parseStoredInteger(text.trimmed(), flags.*f.member ? 1 : 0) != 0;
    }
    if (m_lightsSwitch)
        m_lightsSwitch(flags.lights);
    return flags;
}

bool PanelFlagsStore::save(const PanelFlags &flags)
{
    QVector<std::pair<QString, QString>> entries;
    for (const FlagField &f : Fields)
        entries.append({QString::fromLatin1(f.name),
                        flags.*f.member ? QStringLiteral("1") : QStringLiteral("0")});
    const bool ok = m_registry.file().writeStrings(QString::fromLatin1(PanelsKey), entries);
    if (m_lightsSwitch)
        m_lightsSwitch(flags.lights);
    return ok;
}

} // namespace wv
