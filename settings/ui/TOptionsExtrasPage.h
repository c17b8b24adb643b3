#pragma once

#include "settings/ui/TOptionsPage.h"

#include <array>

class QCheckBox;
class QLineEdit;
class QVBoxLayout;

namespace wv {

// "Extras": the settings from xNoSummary on, one check box each, and the
// wallpaper file box.
class TOptionsExtrasPage : public TOptionsPage
{
    Q_OBJECT
public:
    static constexpr int BoxCount = 12;

    explicit TOptionsExtrasPage(QWidget *parent = nullptr);
    void UpdateOptionsForm(const Settings &s) override;
    void copyToSettings(Settings &s) const override;

    // In the order of the settings, xNoSummary to xRunOnStartup.
    std::array<QCheckBox *, BoxCount> boxes{};
    QCheckBox *chkWallpaper = nullptr;
    QLineEdit *edWallpaperFile = nullptr;
    // Room below the check boxes for more groups of options.
    QVBoxLayout *extraGroups = nullptr;
};

} // namespace wv
