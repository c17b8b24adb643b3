#pragma once

#include <QString>
#include <QVector>

namespace wv {

class ProgramsList;

// One entry of the "Programs" drop-down menu.
struct ProgramMenuEntry
{
    QString caption;    // the display name
    QString hint;       // the program path (what a click launches)
    QString objectName; // "progMenu" + position, from 0
};

// The entries of the "Programs" toolbar button's menu, in file order; empty
// when no program is registered. The window clears its QMenu and adds one
// action per entry (text = caption, toolTip/statusTip = hint, objectName),
// each launching LaunchProgram(hint).
QVector<ProgramMenuEntry> RefreshProgramsMenu(const ProgramsList &programs);

} // namespace wv
