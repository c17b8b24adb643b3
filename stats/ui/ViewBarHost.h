#pragma once

#include "settings/SettingsStore.h"
#include "stats/ui/Tvb.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

namespace wv {

class AdapterCounterSource;

// The main window's side of the view bar: creates it, applies the vb*
// settings to it, hides and frees it, and runs the "View&bar" menu's
// commands. Applying the options (ProcessOptions) shows or hides it.
class ViewBarHost : public QObject, public OptionsSink
{
    Q_OBJECT
public:
    // commands: the main window's refresh, show, exit and connection
    // information (the host fills in the bar's own menu commands);
    // lightsSource: makes the source of the bar's traffic lights.
    ViewBarHost(SettingsStore &settings, ViewBarTable &table, ViewBarCommands commands,
                std::function<std::unique_ptr<AdapterCounterSource>()> lightsSource,
                QObject *parent = nullptr);
    ~ViewBarHost() override;

    // Show view bar / hide view bar.
    void showViewBar();
    void HideViewBar();
    bool isShown() const { return m_shown; }
    Tvb *bar() const { return m_bar.data(); }
    // The process-wide current position in the table.
    int position() const { return m_position; }

    // "View&bar" menu: "Enable &Viewbar" / "Disable &Viewbar",
    // "&Switch top/bottom", "&Autohide", "Scroll &connections".
    void mnuToggleClick();
    void mnuSwitchClick();
    void mnuAutoHideClick();
    void mnuScrollClick();

    // Where the bar's auto-hide refusal goes (tests); by default a message box.
    void setMessenger(std::function<void(const QString &)> show) { m_messenger = std::move(show); }

    // OptionsSink
    void applyViewBar(bool show) override;
    void applyColumnWidths(bool moreColumns) override;

private:
    void createBar();
    void applySettings();
    void setBool(bool Settings::*setting, bool value);

    SettingsStore &m_settings;
    ViewBarTable &m_table;
    ViewBarCommands m_commands;
    std::function<std::unique_ptr<AdapterCounterSource>()> m_lightsSource;
    std::function<void(const QString &)> m_messenger;
    QPointer<Tvb> m_bar;
    int m_position = 0;
    bool m_shown = false;
    // The auto-hide asked of the bar last; asked again only when it changes,
    // so that a refusal is told once and not at every application.
    std::optional<bool> m_askedAutoHide;
};

} // namespace wv
