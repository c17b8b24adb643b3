#pragma once

#include "settings/Settings.h"

#include <array>

namespace wv {

// The range the options dialog offers for a numeric setting.
struct SettingRange
{
    const char *key;
    int Settings::*member;
    int minimum;
    int maximum;
};

const std::array<SettingRange, 4> &settingRanges();

// Brings every numeric setting into its range (a hand-edited registry.ini or
// an imported transfer file can hold anything). Returns whether any changed.
bool clampToRanges(Settings &s);

} // namespace wv
