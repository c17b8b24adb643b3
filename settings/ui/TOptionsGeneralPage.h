#pragma once

#include "settings/ui/TOptionsPage.h"

class QCheckBox;
class QRadioButton;
class QSpinBox;

namespace wv {

// "General": automatic refresh and its period, start in tray, listening
// connections, colour coding, grid lines, the connection device, extra
// columns, splash screen, main menu.
class TOptionsGeneralPage : public TOptionsPage
{
    Q_OBJECT
public:
    explicit TOptionsGeneralPage(QWidget *parent = nullptr);
    void UpdateOptionsForm(const Settings &s) override;
    void copyToSettings(Settings &s) const override;

    QCheckBox *chkAutoRefresh = nullptr;
    QSpinBox *seRefreshDelay = nullptr;
    QCheckBox *chkStartInTray = nullptr;
    QCheckBox *chkShowListens = nullptr;
    QCheckBox *chkColorCode = nullptr;
    QCheckBox *chkShowGrids = nullptr;
    QRadioButton *rbModem = nullptr;
    QRadioButton *rbOther = nullptr;
    QCheckBox *chkMoreCols = nullptr;
    QCheckBox *chkShowSplash = nullptr;
    QCheckBox *chkShowMenu = nullptr;

    void chkAutoRefreshClick();
};

// A spin box with the range and step of an integer setting.
QSpinBox *settingSpinBox(const char *key, QWidget *parent);

} // namespace wv
