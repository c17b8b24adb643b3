#include "settings/ui/TOptionsGeneralPage.h"

#include "settings/SettingRanges.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace wv {

QSpinBox *settingSpinBox(const char *key, QWidget *parent)
{
    auto *box = new QSpinBox(parent);
    if (const SettingDescriptor *d = findSetting(QLatin1String(key))) {
        const SettingRange r = settingRange(*d).value_or(SettingRange{0, 0, 1});
        box->setRange(r.minimum, r.maximum);
        box->setSingleStep(r.step);
    }
    box->setObjectName(QLatin1String(key));
    return box;
}

TOptionsGeneralPage::TOptionsGeneralPage(QWidget *parent) : TOptionsPage(parent)
{
    chkAutoRefresh =
        new QCheckBox(QStringLiteral("Automatically &refresh connections every"), this);
    seRefreshDelay = settingSpinBox("RefreshDelay", this);
    chkStartInTray = new QCheckBox(QStringLiteral("Start in system &tray"), this);
    chkShowListens = new QCheckBox(QStringLiteral("Show &listening connections"), this);
    chkColorCode = new QCheckBox(QStringLiteral("Color-code open ports"), this);
    chkShowGrids = new QCheckBox(QStringLiteral("Grid lines on main table"), this);
    auto *device =
        new QGroupBox(QStringLiteral("Device used to connect to the Internet/Network"), this);
    rbModem = new QRadioButton(QStringLiteral("Modem"), device);
    rbOther = new QRadioButton(QStringLiteral("ISDN/DSL/Cable/LAN/Other"), device);
    chkMoreCols = new QCheckBox(QStringLiteral("Show additional info in connection table"), this);
    chkShowSplash = new QCheckBox(QStringLiteral("Show Splash Screen at Startup"), this);
    chkShowMenu = new QCheckBox(QStringLiteral("Show main menu"), this);

    auto *refresh = new QHBoxLayout;
    refresh->addWidget(chkAutoRefresh);
    refresh->addWidget(seRefreshDelay);
    refresh->addWidget(new QLabel(QStringLiteral("seconds"), this));
    refresh->addStretch(1);
    auto *deviceLayout = new QVBoxLayout(device);
    deviceLayout->addWidget(rbModem);
    deviceLayout->addWidget(rbOther);

    auto *l = new QVBoxLayout(this);
    l->addLayout(refresh);
    for (QWidget *w :
         {static_cast<QWidget *>(chkStartInTray), static_cast<QWidget *>(chkShowListens),
          static_cast<QWidget *>(chkColorCode), static_cast<QWidget *>(chkShowGrids),
          static_cast<QWidget *>(device), static_cast<QWidget *>(chkMoreCols),
          static_cast<QWidget *>(chkShowSplash), static_cast<QWidget *>(chkShowMenu)})
        l->addWidget(w);
    l->addStretch(1);

    connect(chkAutoRefresh, &QCheckBox::clicked, this, &TOptionsGeneralPage::chkAutoRefreshClick);
    connect(chkAutoRefresh, &QCheckBox::toggled, seRefreshDelay, &QSpinBox::setEnabled);
}

void TOptionsGeneralPage::chkAutoRefreshClick()
{
    if (seRefreshDelay->isEnabled())
        seRefreshDelay->setFocus();
}

void TOptionsGeneralPage::UpdateOptionsForm(const Settings &s)
{
    chkAutoRefresh->setChecked(s.autoRefresh);
    seRefreshDelay->setValue(s.RefreshDelay);
    seRefreshDelay->setEnabled(s.autoRefresh);
    chkStartInTray->setChecked(s.startInTray);
    chkShowListens->setChecked(s.showListens);
    chkColorCode->setChecked(s.colorCode);
    chkShowGrids->setChecked(s.showGrids);
    (s.hasRAS ? rbModem : rbOther)->setChecked(true);
    chkMoreCols->setChecked(s.morecols);
    chkShowSplash->setChecked(s.showSplash);
    chkShowMenu->setChecked(s.showMenu);
}

void TOptionsGeneralPage::copyToSettings(Settings &s) const
{
    s.autoRefresh = chkAutoRefresh->isChecked();
    s.RefreshDelay = seRefreshDelay->value();
    s.startInTray = chkStartInTray->isChecked();
    s.showListens = chkShowListens->isChecked();
    s.colorCode = chkColorCode->isChecked();
    s.showGrids = chkShowGrids->isChecked();
    s.hasRAS = rbModem->isChecked();
    s.morecols = chkMoreCols->isChecked();
    s.showSplash = chkShowSplash->isChecked();
    s.showMenu = chkShowMenu->isChecked();
}

} // namespace wv
