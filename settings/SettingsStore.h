#pragma once

#include "settings/RegistryStore.h"
#include "settings/Settings.h"

#include <QList>
#include <QString>

namespace wv {

// Something in the running program that options are applied to. Every step
// has an empty default, so a window implements only the steps that concern it.
// ProcessOptions calls the steps in this order over all sinks.
class OptionsSink
{
public:
    virtual ~OptionsSink() = default;
    virtual void applyDnsTimeout(int /*milliseconds*/) {}
    virtual void applyListeningPanel(bool /*show*/) {}
    virtual void applyQuickPanel(bool /*autoResolve*/, bool /*showListens*/) {}
    virtual void applyViewBar(bool /*show*/) {}
    virtual void applyGridLines(bool /*on*/) {}
    virtual void applyRefreshTimer(int /*intervalMs*/, bool /*enabled*/) {}
    virtual void applyColumnWidths(bool /*moreColumns*/) {}
    virtual void applyMenuBar(bool /*show*/) {}
    virtual void applyExtras(const Settings &) {}
};

// Owns the settings set and moves it between memory, the registry store and
// the transfer file.
class SettingsStore
{
public:
    static constexpr const char *SettingsKey = "WVN3PRO\\Settings";
    static constexpr const char *TransferFileName = "wvnini.ini";

    explicit SettingsStore(RegistryStore &registry);

    Settings &values() { return m_values; }
    const Settings &values() const { return m_values; }

    void ReadRegistry();
    void WriteRegistry();
    void SettingsToFile();
    void FileToSettings();
    void ProcessOptions();

    void addSink(OptionsSink *sink);
    void removeSink(OptionsSink *sink);

    // Path of the transfer file (per-user folder).
    static QString transferFilePath();

private:
    void syncTrace();

    RegistryStore &m_registry;
    Settings m_values;
    QList<OptionsSink *> m_sinks;
};

// Registers the program to start at log-on (an XDG autostart entry) or
// removes that registration.
void SetRunOnStartup(bool on);
QString autostartEntryPath();
// A program path as the Exec= line of a desktop entry must hold it.
QString desktopExecArgument(const QString &path);

} // namespace wv
