#include "settings/ui/TOptionsViewBarPage.h"

#include "settings/ui/TOptionsGeneralPage.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace wv {

TOptionsViewBarPage::TOptionsViewBarPage(QWidget *parent) : TOptionsPage(parent)
{
    chkVbShow = new QCheckBox(QStringLiteral("Enable ViewBar"), this);
    chkVbAutoHide = new QCheckBox(QStringLiteral("AutoHide"), this);
    chkVbScroll = new QCheckBox(QStringLiteral("Automatically scroll connections"), this);
    lblConnShowSec = new QLabel(QStringLiteral("Show each connection for"), this);
    seConnShowSec = settingSpinBox("connShowSec", this);
    lblSeconds = new QLabel(QStringLiteral("seconds"), this);
    chkVbNoSlide = new QCheckBox(QStringLiteral("No slide effect"), this);
    chkVbShowClock = new QCheckBox(QStringLiteral("Show clock"), this);
    btnStartViewBar = new QPushButton(QStringLiteral("manually start viewbar"), this);
    btnStartViewBar->setEnabled(false);

    auto *seconds = new QHBoxLayout;
    seconds->setContentsMargins(40, 0, 0, 0);
    seconds->addWidget(lblConnShowSec);
    seconds->addWidget(seConnShowSec);
    seconds->addWidget(lblSeconds);
    seconds->addStretch(1);
    auto *inner = new QVBoxLayout;
    inner->setContentsMargins(20, 0, 0, 0);
    inner->addWidget(chkVbAutoHide);
    inner->addWidget(chkVbScroll);
    inner->addLayout(seconds);
    inner->addWidget(chkVbNoSlide);
    inner->addWidget(chkVbShowClock);
    auto *start = new QHBoxLayout;
    start->addWidget(btnStartViewBar);
    start->addStretch(1);
    auto *l = new QVBoxLayout(this);
    l->addWidget(chkVbShow);
    l->addLayout(inner);
    l->addStretch(1);
    l->addLayout(start);

    connect(chkVbShow, &QCheckBox::toggled, this, &TOptionsViewBarPage::updateLinks);
    connect(chkVbScroll, &QCheckBox::toggled, this, &TOptionsViewBarPage::updateLinks);
    connect(btnStartViewBar, &QPushButton::clicked, this, [this] {
        if (m_start)
            m_start();
    });
}

void TOptionsViewBarPage::setStartViewBar(std::function<void()> start)
{
    m_start = std::move(start);
    btnStartViewBar->setEnabled(static_cast<bool>(m_start));
}

void TOptionsViewBarPage::updateLinks()
{
    const bool on = chkVbShow->isChecked();
    for (QWidget *w :
         {static_cast<QWidget *>(chkVbAutoHide), static_cast<QWidget *>(chkVbScroll),
          static_cast<QWidget *>(chkVbNoSlide), static_cast<QWidget *>(chkVbShowClock)})
        w->setEnabled(on);
    const bool seconds = chkVbScroll->isChecked();
    for (QWidget *w : {static_cast<QWidget *>(lblConnShowSec),
                       static_cast<QWidget *>(seConnShowSec), static_cast<QWidget *>(lblSeconds)})
        w->setEnabled(seconds);
}

void TOptionsViewBarPage::UpdateOptionsForm(const Settings &s)
{
    chkVbShow->setChecked(s.vbShow);
    chkVbAutoHide->setChecked(s.vbAutoHide);
    chkVbScroll->setChecked(s.vbScroll);
    seConnShowSec->setValue(s.connShowSec);
    chkVbNoSlide->setChecked(s.vbNoSlide);
    chkVbShowClock->setChecked(s.vbShowClock);
    updateLinks();
}

void TOptionsViewBarPage::copyToSettings(Settings &s) const
{
    s.vbShow = chkVbShow->isChecked();
    s.vbAutoHide = chkVbAutoHide->isChecked();
    s.vbScroll = chkVbScroll->isChecked();
    s.connShowSec = seConnShowSec->value();
    s.vbNoSlide = chkVbNoSlide->isChecked();
    s.vbShowClock = chkVbShowClock->isChecked();
}

} // namespace wv
