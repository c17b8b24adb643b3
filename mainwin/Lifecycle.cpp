#include "mainwin/Lifecycle.h"

#include "settings/Paths.h"
#include "settings/RegistryStore.h"
#include "settings/Settings.h"

namespace wv {

namespace {

void run(const std::function<void()> &step)
{
    if (step)
        step();
}

} // namespace

bool SaveExePath(RegistryStore &registry)
{
    return registry.writeString(QStringLiteral("WVN3PRO"), QStringLiteral("exePath"),
                                Paths::executablePath());
}

void Lifecycle::StartUp(const StartUpSteps &steps)
{
    run(steps.openIniFiles);
    run(steps.readRegistry);
    run(steps.processOptions);
    // The options just read decide the rest.
    const bool splash = m_settings.showSplash;
    if (splash)
        run(steps.showSplash);
    run(steps.createEngine);
    run(steps.refreshProgramsMenu);
    if (m_settings.startInTray)
        run(steps.minimizeToTray);
    else
        run(steps.showMainWindow);
    if (splash)
        run(steps.startSplashTimer);
    run(steps.loadColumnWidths);
    run(steps.loadPanelFlags);
    run(steps.createSummaryWindow);
    if (m_settings.xSumOnStart)
        run(steps.showSummaryWindow);
}

bool Lifecycle::ShutDown(const ShutDownSteps &steps)
{
    if (m_closing)
        return false;
    m_closing = true;
    run(steps.saveExePath);
    run(steps.saveColumnWidths);
    if (m_settings.xSumOnEnd)
        run(steps.showSummaryModal);
    run(steps.savePlacement);
    run(steps.terminate);
    return true;
}

} // namespace wv
