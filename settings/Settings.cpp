#include "settings/Settings.h"

namespace wv {

namespace {

#define WV_SETTING(name)                                                                           \
    SettingDescriptor                                                                              \
    {                                                                                              \
#name, &Settings::name                                                                     \
    }

const std::array<SettingDescriptor, SettingsCount> kDescriptors{{
    WV_SETTING(autoResolve),    WV_SETTING(autoRefresh),   WV_SETTING(showListens),
    WV_SETTING(startInTray),    WV_SETTING(showGrids),     WV_SETTING(colorCode),
    WV_SETTING(morecols),       WV_SETTING(showSplash),    WV_SETTING(showMenu),
    WV_SETTING(hasRAS),         WV_SETTING(cacheDNS),      WV_SETTING(dnsTimeout),
    WV_SETTING(dnsTimeoutWait), WV_SETTING(Expires),       WV_SETTING(WarnExpire),
    WV_SETTING(RefreshDelay),   WV_SETTING(ExpireDelay),   WV_SETTING(vbShow),
    WV_SETTING(vbAutoHide),     WV_SETTING(vbScroll),      WV_SETTING(vbShowClock),
    WV_SETTING(vbNoSlide),      WV_SETTING(connShowSec),   WV_SETTING(xNoSummary),
    WV_SETTING(xSumOnStart),    WV_SETTING(xSumOnEnd),     WV_SETTING(xHotTrack),
    WV_SETTING(xDebugWindow),   WV_SETTING(xDockForm),     WV_SETTING(xFlatVB),
    WV_SETTING(xFlatScroll),    WV_SETTING(xFlatHeader),   WV_SETTING(xWallpaper),
    WV_SETTING(xFilterBar),     WV_SETTING(xRunOnStartup), WV_SETTING(xWallpaperFile),
}};

#undef WV_SETTING

const Settings kDefaults;

template <class... Ts> struct Overloaded : Ts...
{
    using Ts::operator()...;
};
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

} // namespace

int parseStoredInteger(const QString &text, int defaultValue)
{
    bool ok = false;
    int value = 0;
    if (text.size() > 2 &&
        (text.startsWith(QLatin1String("0x")) || text.startsWith(QLatin1String("0X")))) {
        const qulonglong v = text.mid(2).toULongLong(&ok, 16);
        ok = ok && v <= 0xFFFFFFFFull;
        value = static_cast<int>(static_cast<quint32>(v));
    } else {
        value = text.toInt(&ok, 10);
    }
    return ok ? value : defaultValue;
}

char SettingDescriptor::typeCode() const
{
    return std::visit(Overloaded{[](bool Settings::*) { return 'B'; },
                                 [](int Settings::*) { return 'I'; },
                                 [](QString Settings::*) { return 'S'; }},
                      member);
}

QString SettingDescriptor::text(const Settings &s) const
{
    return std::visit(Overloaded{[&](bool Settings::*m) {
                                     return QString(s.*m ? QLatin1Char('1') : QLatin1Char('0'));
                                 },
                                 [&](int Settings::*m) { return QString::number(s.*m); },
                                 [&](QString Settings::*m) { return s.*m; }},
                      member);
}

QString SettingDescriptor::defaultText() const
{
    return text(kDefaults);
}

void SettingDescriptor::setFromText(Settings &s, const QString &text, bool present) const
{
    std::visit(Overloaded{[&](bool Settings::*m) {
                              s.*m = present ? parseStoredInteger(text, kDefaults.*m ? 1 : 0) != 0
                                             : kDefaults.*m;
                          },
                          [&](int Settings::*m) {
                              s.*m =
                                  present ? parseStoredInteger(text, kDefaults.*m) : kDefaults.*m;
                          },
                          [&](QString Settings::*m) { s.*m = present ? text : kDefaults.*m; }},
               member);
}

const std::array<SettingDescriptor, SettingsCount> &settingDescriptors()
{
    return kDescriptors;
}

const SettingDescriptor *findSetting(const QString &key)
{
    for (const SettingDescriptor &d : kDescriptors) {
        if (key.compare(QLatin1String(d.key), Qt::CaseInsensitive) == 0)
            return &d;
    }
    return nullptr;
}

} // namespace wv
