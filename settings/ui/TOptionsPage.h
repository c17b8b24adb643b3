#pragma once

#include "settings/Settings.h"

#include <QWidget>

namespace wv {

// One page of the options dialog that shows settings: filled from the set by
// UpdateOptionsForm, read back into it by copyToSettings on OK (the exact
// reverse).
class TOptionsPage : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
    virtual void UpdateOptionsForm(const Settings &s) = 0;
    virtual void copyToSettings(Settings &s) const = 0;
};

} // namespace wv
