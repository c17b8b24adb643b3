#include "stats/ui/ViewBarHost.h"

#include "settings/DebugTrace.h"
#include "stats/dialup/LightsController.h"

#include <exception>

namespace wv {

ViewBarHost::ViewBarHost(SettingsStore &settings, ViewBarTable &table, ViewBarCommands commands,
                         std::function<std::unique_ptr<AdapterCounterSource>()> lightsSource,
                         QObject *parent)
    : QObject(parent), m_settings(settings), m_table(table), m_commands(std::move(commands)),
      m_lightsSource(std::move(lightsSource))
{
    m_commands.closeViewBar = [this] { HideViewBar(); };
    m_commands.setAutoHide = [this](bool on) { setBool(&Settings::vbAutoHide, on); };
    m_commands.setScroll = [this](bool on) { setBool(&Settings::vbScroll, on); };
}

ViewBarHost::~ViewBarHost()
{
    delete m_bar.data();
}

void ViewBarHost::createBar()
{
    LightsController *lights = nullptr;
    if (m_lightsSource)
        lights = new LightsController(m_lightsSource());
    m_bar = new Tvb(m_table, m_position, m_commands, lights);
    if (m_messenger)
        m_bar->setMessenger(m_messenger);
    m_askedAutoHide.reset();
}

void ViewBarHost::applySettings()
{
    const Settings &s = m_settings.values();
    Tvb &vb = *m_bar;
    if (m_askedAutoHide != s.vbAutoHide) {
        vb.setAutoHide(s.vbAutoHide);
        m_askedAutoHide = s.vbAutoHide;
    }
    vb.miAutoHide->setChecked(vb.AutoHide());
    vb.setScrollEnabled(s.vbScroll);
    const int clockWidth = s.vbShowClock ? Tvb::ClockWidth : 0;
    vb.setClockWidth(clockWidth);
    DebugLog(QStringLiteral("Clock width is ") + QString::number(clockWidth));
    vb.setSlideEffect(!s.vbNoSlide);
    vb.setScrollInterval(s.connShowSec * 1000);
    vb.setMoreColumns(s.morecols);
    vb.LayoutBar();
    vb.setAlwaysOnTop(true);
    vb.show();
    m_shown = true;
}

void ViewBarHost::showViewBar()
{
    DebugLog(QStringLiteral("showViewBar"));
    if (!m_bar)
        createBar();
    try {
        applySettings();
    } catch (const std::exception &) {
        DebugLog(QStringLiteral("somethings wacky. ShowViewBar"));
        delete m_bar.data();
        createBar();
        try {
            applySettings();
        } catch (const std::exception &) {
            DebugLog(QStringLiteral("somethings really wacky. ShowViewBar"));
        }
    }
}

void ViewBarHost::HideViewBar()
{
    DebugLog(QStringLiteral("HideViewBar"));
    if (m_bar) {
        DebugLog(QStringLiteral("executing vb.close;"));
        m_bar->close();
        DebugLog(QStringLiteral("executing vb.release;"));
        // Freed later: this may run from the bar's own menu.
        m_bar->deleteLater();
    }
    DebugLog(QStringLiteral("doing vb := nil"));
    m_bar.clear();
    DebugLog(QStringLiteral("end of HideViewBar proc"));
    if (m_commands.showMainWindow)
        m_commands.showMainWindow();
    m_shown = false;
}

void ViewBarHost::applyViewBar(bool show)
{
    if (show)
        showViewBar();
    else if (m_shown || m_bar)
        HideViewBar();
}

void ViewBarHost::applyColumnWidths(bool moreColumns)
{
    if (m_bar)
        m_bar->setMoreColumns(moreColumns);
}

void ViewBarHost::setBool(bool Settings::*setting, bool value)
{
    m_settings.values().*setting = value;
    m_settings.WriteRegistry();
    m_settings.ProcessOptions();
}

void ViewBarHost::mnuToggleClick()
{
    // The caption follows the bar, not the setting: after "Close ViewBar" the
    // item reads "Enable &Viewbar" and must bring the bar back.
    m_settings.values().vbShow = !m_shown;
    m_settings.ProcessOptions();
    m_settings.WriteRegistry();
}

void ViewBarHost::mnuSwitchClick()
{
    if (m_bar)
        m_bar->setEdge(m_bar->Edge() == DockEdge::Bottom ? DockEdge::Top : DockEdge::Bottom);
}

void ViewBarHost::mnuAutoHideClick()
{
    setBool(&Settings::vbAutoHide, !m_settings.values().vbAutoHide);
}

void ViewBarHost::mnuScrollClick()
{
    setBool(&Settings::vbScroll, !m_settings.values().vbScroll);
}

} // namespace wv
