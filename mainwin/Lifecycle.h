#pragma once

#include <functional>

namespace wv {

class RegistryStore;
struct Settings;

// Writes "exePath" under WVN3PRO: the full path of the running program.
bool SaveExePath(RegistryStore &registry);

// The steps of bringing the program up, in the order they run. A step left
// empty is skipped; the settings are read after readRegistry has run.
struct StartUpSteps
{
    std::function<void()> openIniFiles;
    std::function<void()> readRegistry;
    std::function<void()> processOptions;
    std::function<void()> showSplash; // only with showSplash
    std::function<void()> createEngine;
    std::function<void()> refreshProgramsMenu;
    std::function<void()> minimizeToTray;   // with startInTray
    std::function<void()> showMainWindow;   // without startInTray
    std::function<void()> startSplashTimer; // only with showSplash
    std::function<void()> loadColumnWidths;
    std::function<void()> loadPanelFlags;
    std::function<void()> createSummaryWindow;
    std::function<void()> showSummaryWindow; // with xSumOnStart
};

// The steps of ending the program, in the order they run.
struct ShutDownSteps
{
    std::function<void()> saveExePath;
    std::function<void()> saveColumnWidths;
    std::function<void()> showSummaryModal; // with xSumOnEnd; returns when closed
    std::function<void()> savePlacement;
    std::function<void()> terminate; // ends the event loop
};

// The program-wide flags of the start-up and shut-down sequences.
class Lifecycle
{
public:
    explicit Lifecycle(const Settings &settings) : m_settings(settings) {}

    // False while the main window is being created; option toggles made
    // before then change their value only.
    bool Started() const { return m_started; }
    // Set at the beginning of shut-down.
    bool Closing() const { return m_closing; }

    void StartUp(const StartUpSteps &steps);
    void setStarted() { m_started = true; }

    // Runs once; a second request (the close event that follows "E&xit", or
    // a close while the summary is shown at exit) returns false and does
    // nothing.
    bool ShutDown(const ShutDownSteps &steps);

private:
    const Settings &m_settings;
    bool m_started = false;
    bool m_closing = false;
};

} // namespace wv
