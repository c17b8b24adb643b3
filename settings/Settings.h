#pragma once

#include <QString>

#include <array>
#include <variant>

namespace wv {

// The program's 36 options, held in memory by the main window and stored as
// strings under WVN3PRO\Settings. Field order is storage order.
struct Settings
{
    bool autoResolve = true;
    bool autoRefresh = false;
    bool showListens = false;
    bool startInTray = false;
    bool showGrids = false;
    bool colorCode = false;
    bool morecols = false;
    bool showSplash = true;
    bool showMenu = false;
    bool hasRAS = true;
    bool cacheDNS = true;
    bool dnsTimeout = true;
    int dnsTimeoutWait = 3000;
    bool Expires = false;
    bool WarnExpire = false;
    int RefreshDelay = 15;
    int ExpireDelay = 300;
    bool vbShow = false;
    bool vbAutoHide = false;
    bool vbScroll = true;
    bool vbShowClock = true;
    bool vbNoSlide = false;
    int connShowSec = 5;
    // Not carried by the transfer file from here on.
    bool xNoSummary = false;
    bool xSumOnStart = false;
    bool xSumOnEnd = false;
    bool xHotTrack = false;
    bool xDebugWindow = false;
    bool xDockForm = false;
    bool xFlatVB = false;
    bool xFlatScroll = false;
    bool xFlatHeader = false;
    bool xWallpaper = false;
    bool xFilterBar = false;
    bool xRunOnStartup = false;
    QString xWallpaperFile;

    bool operator==(const Settings &) const = default;
};

struct SettingDescriptor
{
    const char *key;
    std::variant<bool Settings::*, int Settings::*, QString Settings::*> member;

    char typeCode() const; // 'B', 'I' or 'S'
    QString text(const Settings &s) const;
    // Takes a stored text; a missing or malformed one gives the default.
    void setFromText(Settings &s, const QString &text, bool present = true) const;
    QString defaultText() const;
};

constexpr int SettingsCount = 36;
// The first this many settings make up the transfer file.
constexpr int TransferableCount = 23;

const std::array<SettingDescriptor, SettingsCount> &settingDescriptors();
const SettingDescriptor *findSetting(const QString &key);

// Registry integer text: decimal, or "0x"/"0X" hexadecimal when longer than
// two characters; anything else gives the default.
int parseStoredInteger(const QString &text, int defaultValue);

} // namespace wv
