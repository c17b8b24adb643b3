#pragma once

#include "settings/ui/TOptionsPage.h"

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace wv {

// "ViewBar": the view bar's switches and how long each connection shows.
class TOptionsViewBarPage : public TOptionsPage
{
    Q_OBJECT
public:
    explicit TOptionsViewBarPage(QWidget *parent = nullptr);
    void UpdateOptionsForm(const Settings &s) override;
    void copyToSettings(Settings &s) const override;
    // What "manually start viewbar" runs (the button is disabled without it).
    void setStartViewBar(std::function<void()> start);

    QCheckBox *chkVbShow = nullptr;
    QCheckBox *chkVbAutoHide = nullptr;
    QCheckBox *chkVbScroll = nullptr;
    QLabel *lblConnShowSec = nullptr;
    QSpinBox *seConnShowSec = nullptr;
    QLabel *lblSeconds = nullptr;
    QCheckBox *chkVbNoSlide = nullptr;
    QCheckBox *chkVbShowClock = nullptr;
    QPushButton *btnStartViewBar = nullptr;

    void updateLinks();

private:
    std::function<void()> m_start;
};

} // namespace wv
