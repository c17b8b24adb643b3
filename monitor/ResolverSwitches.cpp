#include "monitor/ResolverSwitches.h"

#include "settings/SettingsStore.h"

namespace wv {

ResolverSwitches::ResolverSwitches(SettingsStore &store, QObject *parent)
    : QObject(parent), m_store(store)
{
}

void ResolverSwitches::setAutoResolve(bool on)
{
    m_store.values().autoResolve = on;
    Q_EMIT rebuildPending();
    commit();
}

void ResolverSwitches::setCacheDns(bool on)
{
    m_store.values().cacheDNS = on;
    commit();
}

bool ResolverSwitches::autoResolveChecked() const
{
    return m_store.values().autoResolve;
}

bool ResolverSwitches::cacheDnsChecked() const
{
    return m_store.values().cacheDNS;
}

void ResolverSwitches::commit()
{
    if (!m_startupFinished)
        return;
    m_store.ProcessOptions();
    m_store.WriteRegistry();
}

} // namespace wv
