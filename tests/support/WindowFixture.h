#pragma once

// The main window on its own, for tests that feed it rows through a scripted
// source: a fresh per-user folder for every test function with its registry
// and settings read as at start-up, and the window shown once its services
// are set.
//
//   WindowFixture m_fx;
//   void init() { m_fx.reset(); m_fx.settings->values().autoResolve = false; }
//   void cleanup() { m_fx.destroy(); }
//   void someCase() { TfrmMain::Services s; s.source = &m_source; QVERIFY(m_fx.open(s)); ... }

#include "mainwin/ui/TfrmMain.h"
#include "settings/RegistryStore.h"
#include "settings/SettingsStore.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace wv::test {

class WindowFixture
{
public:
    // From init(): closes the previous window and starts a fresh folder.
    void reset()
    {
        window.reset();
        settings.reset();
        registry.reset();
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("WIREVANE_HOME", m_home->path().toLocal8Bit());
        registry = std::make_unique<RegistryStore>();
        settings = std::make_unique<SettingsStore>(*registry);
        settings->ReadRegistry();
    }

    // Makes the window with these services (the fixture's registry unless
    // they name one), lets `prepare` set it up before the settings apply,
    // shows it and waits until it is on the screen.
    bool open(TfrmMain::Services services, const std::function<void(TfrmMain &)> &prepare = {})
    {
        if (!services.registry)
            services.registry = registry.get();
        window = std::make_unique<TfrmMain>(*settings, services);
        if (prepare)
            prepare(*window);
        settings->ProcessOptions();
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }

    // From cleanup(): the window goes before its folder does.
    void destroy() { window.reset(); }

    QString filePath(const QString &name) const { return m_home ? m_home->filePath(name) : name; }

    std::unique_ptr<RegistryStore> registry;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<TfrmMain> window;

private:
    std::unique_ptr<QTemporaryDir> m_home;
};

} // namespace wv::test
