#include "settings/SettingRanges.h"

#include <algorithm>

namespace wv {

const std::array<SettingRange, 4> &settingRanges()
{
    static const std::array<SettingRange, 4> ranges{{
        {"dnsTimeoutWait", &Settings::dnsTimeoutWait, 50, 120000},
        {"RefreshDelay", &Settings::RefreshDelay, 2, 999},
        {"ExpireDelay", &Settings::ExpireDelay, 1, 4320},
        {"connShowSec", &Settings::connShowSec, 1, 999},
    }};
    return ranges;
}

bool clampToRanges(Settings &s)
{
    bool changed = false;
    for (const SettingRange &r : settingRanges()) {
        int &v = s.*r.member;
        const int bounded = std::clamp(v, r.minimum, r.maximum);
        changed = changed || bounded != v;
        v = bounded;
    }
    return changed;
}

} // namespace wv
