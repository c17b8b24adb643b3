#include "settings/ui/TOptionsExtrasPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace wv {

namespace {

struct Box
{
    bool Settings::*member;
    const char *caption;
    bool disabled;
};

const Box kBoxes[TOptionsExtrasPage::BoxCount] = {
    {&Settings::xNoSummary, "Do not keep session summary", false},
    {&Settings::xSumOnStart, "Show summary box on startup", false},
    {&Settings::xSumOnEnd, "Show summary on exit", false},
    {&Settings::xHotTrack, "HotTrack", false},
    {&Settings::xDebugWindow, "Debug window", false},
    {&Settings::xDockForm, "Dockable form", false},
    {&Settings::xFlatVB, "Flat viewbar", true},
    {&Settings::xFlatScroll, "Flat scroll bars", false},
    {&Settings::xFlatHeader, "Flat headers", false},
    {&Settings::xWallpaper, "Connection table wallpaper", true},
    {&Settings::xFilterBar, "Filterbar", false},
    {&Settings::xRunOnStartup, "Run on startup", false},
};

} // namespace

TOptionsExtrasPage::TOptionsExtrasPage(QWidget *parent) : TOptionsPage(parent)
{
    auto *intro = new QLabel(
        QStringLiteral("This section contains additional options and tweaks to explore"), this);
    intro->setWordWrap(true);
    auto *grid = new QGridLayout;
    for (int i = 0; i < BoxCount; ++i) {
        boxes[size_t(i)] = new QCheckBox(QString::fromLatin1(kBoxes[i].caption), this);
        boxes[size_t(i)]->setEnabled(!kBoxes[i].disabled);
        grid->addWidget(boxes[size_t(i)], i % 6, i / 6);
    }
    chkWallpaper = boxes[9];
    edWallpaperFile = new QLineEdit(this);
    edWallpaperFile->setObjectName(QStringLiteral("xWallpaperFile"));
    edWallpaperFile->setEnabled(false);
    auto *wallpaper = new QHBoxLayout;
    wallpaper->setContentsMargins(20, 0, 0, 0);
    wallpaper->addWidget(edWallpaperFile);
    auto *l = new QVBoxLayout(this);
    l->addWidget(intro);
    l->addLayout(grid);
    l->addLayout(wallpaper);
    extraGroups = new QVBoxLayout;
    l->addLayout(extraGroups);
    l->addStretch(1);
    // The wallpaper box follows its check box (which stays disabled).
    connect(chkWallpaper, &QCheckBox::toggled, edWallpaperFile, &QLineEdit::setEnabled);
}

void TOptionsExtrasPage::UpdateOptionsForm(const Settings &s)
{
    for (int i = 0; i < BoxCount; ++i)
        boxes[size_t(i)]->setChecked(s.*kBoxes[i].member);
    edWallpaperFile->setText(s.xWallpaperFile);
    edWallpaperFile->setEnabled(chkWallpaper->isChecked());
}

void TOptionsExtrasPage::copyToSettings(Settings &s) const
{
    for (int i = 0; i < BoxCount; ++i)
        s.*kBoxes[i].member = boxes[size_t(i)]->isChecked();
    s.xWallpaperFile = edWallpaperFile->text();
}

} // namespace wv
