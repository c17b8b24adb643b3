#pragma once

#include "settings/Settings.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace wv {

// The range an integer setting's spin box keeps it in (the options dialog
// and `wirevane-cli settings --set` both check against it).
struct SettingRange
{
    int minimum;
    int maximum;
    int step;
};

// The range of an integer setting (none for booleans and texts).
std::optional<SettingRange> settingRange(const SettingDescriptor &d);

// Brings every integer setting into its range (a hand-edited registry.ini or
// an imported transfer file can hold anything). Returns whether any changed.
bool clampToRanges(Settings &settings);

// Applies "KEY=VALUE" to the set: the key as the settings table names it
// (without regard to case), a boolean as 0/1 (or true/false, yes/no, on/off),
// an integer in decimal within its range, a text on one line. False with a
// message for anything else; the set is then unchanged.
bool applySettingAssignment(Settings &settings, const QString &assignment, QString *error,
                            const SettingDescriptor **which = nullptr);

} // namespace wv
