#include "settings/programs/ProgramsMenu.h"

#include "settings/DebugTrace.h"
#include "settings/programs/ProgramsList.h"

namespace wv {

QVector<ProgramMenuEntry> RefreshProgramsMenu(const ProgramsList &programs)
{
    DebugLog(QStringLiteral("RefreshProgramsMenu;"));
    const QVector<ProgramEntry> entries = programs.entries();
    QVector<ProgramMenuEntry> menu;
    if (entries.isEmpty()) {
        DebugLog(QStringLiteral("gts.count = 0, no programs, skipping."));
        return menu;
    }
    menu.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
        menu.append({entries[i].name, entries[i].path, QStringLiteral("progMenu%1").arg(i)});
    return menu;
}

} // namespace wv
