#pragma once

#include <QObject>

namespace wv {

class SettingsStore;

// The main window's "&AutoResolve" (check box and menu item) and "&Cache DNS"
// (menu item) switches. Each changes its setting at once; once start-up has
// finished it also applies the options and writes them to the registry.
class ResolverSwitches : public QObject
{
    Q_OBJECT
public:
    explicit ResolverSwitches(SettingsStore &store, QObject *parent = nullptr);

    void setStartupFinished(bool finished) { m_startupFinished = finished; }

    void setAutoResolve(bool on);
    void setCacheDns(bool on);
    // The check marks of the two menu items, read when the "&Options" menu opens.
    bool autoResolveChecked() const;
    bool cacheDnsChecked() const;

Q_SIGNALS:
    // Every row of the connection table is to be rebuilt at the next refresh,
    // so that host names appear or disappear at once.
    void rebuildPending();

private:
    void commit();

    SettingsStore &m_store;
    bool m_startupFinished = false;
};

} // namespace wv
