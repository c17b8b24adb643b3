#pragma once

#include <QString>

namespace wv {

class RegistryStore;

// What the port tester keeps between runs in the registry store under
// "wvn\porttest": where its toolbar is docked, the vertical position of its
// Connect button and the terminal's local echo.
struct PortTestPlacement
{
    static inline const QString KeyPath = QStringLiteral("wvn\\porttest");

    bool toolbarAtBottom = false;
    int tb1Top = 0;
    bool localEcho = false;

    static PortTestPlacement load(const RegistryStore &registry);
    bool save(RegistryStore &registry) const;
};

} // namespace wv
