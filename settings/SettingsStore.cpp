#include "settings/SettingsStore.h"

#include "settings/AtomicFile.h"
#include "settings/DebugTrace.h"
#include "settings/IniFile.h"
#include "settings/Paths.h"
#include "settings/SettingRanges.h"

#include <QDir>
#include <QFile>

namespace wv {

namespace {

const QString kTransferSection = QStringLiteral("Settings");

} // namespace

SettingsStore::SettingsStore(RegistryStore &registry) : m_registry(registry) {}

QString SettingsStore::transferFilePath()
{
    return Paths::userFile(QLatin1String(TransferFileName));
}

void SettingsStore::syncTrace()
{
    debugTrace().setEnabled(m_values.xDebugWindow);
}

void SettingsStore::ReadRegistry()
{
    DebugLog(QStringLiteral("ReadRegistry;"));
    const QString key = QLatin1String(SettingsKey);
    for (const SettingDescriptor &d : settingDescriptors()) {
        const QString name = QLatin1String(d.key);
        const bool present = m_registry.valueExists(key, name);
        d.setFromText(m_values, m_registry.readString(key, name), present);
    }
    syncTrace();
}

void SettingsStore::WriteRegistry()
{
    DebugLog(QStringLiteral("WriteRegistry;"));
    const QString key = QLatin1String(SettingsKey);
    QVector<std::pair<QString, QString>> entries;
    for (const SettingDescriptor &d : settingDescriptors())
        entries.append({QLatin1String(d.key), d.text(m_values)});
    m_registry.file().writeStrings(key, entries);
}

void SettingsStore::SettingsToFile()
{
    DebugLog(QStringLiteral("SettingsToFile;"));
    IniFile file(transferFilePath());
    const auto &all = settingDescriptors();
    QVector<std::pair<QString, QString>> entries;
    for (int i = 0; i < TransferableCount; ++i)
        entries.append({QLatin1String(all[i].key), all[i].text(m_values)});
    file.writeStrings(kTransferSection, entries);
}

void SettingsStore::FileToSettings()
{
    DebugLog(QStringLiteral("FileToSettings;"));
    IniFile file(transferFilePath());
    const auto &all = settingDescriptors();
    for (int i = 0; i < TransferableCount; ++i) {
        const QString name = QLatin1String(all[i].key);
        all[i].setFromText(m_values, file.readString(kTransferSection, name),
                           file.valueExists(kTransferSection, name));
    }
    syncTrace();
}

void SettingsStore::addSink(OptionsSink *sink)
{
    if (sink && !m_sinks.contains(sink))
        m_sinks.append(sink);
}

void SettingsStore::removeSink(OptionsSink *sink)
{
    m_sinks.removeAll(sink);
}

void SettingsStore::ProcessOptions()
{
    syncTrace();
    DebugLog(QStringLiteral("ProcessOptions;"));
    // Out of range, a refresh delay of 0 would fire the timer without pause
    // and a large one would overflow the interval in milliseconds.
    if (clampToRanges(m_values))
        DebugLog(QStringLiteral("ProcessOptions: numeric settings brought into range"));
    const Settings &s = m_values;
    // Iterate over a copy: a sink may unregister itself while being applied.
    const QList<OptionsSink *> sinks = m_sinks;
    for (OptionsSink *k : sinks)
        k->applyDnsTimeout(s.dnsTimeoutWait);
    for (OptionsSink *k : sinks)
        k->applyListeningPanel(s.showListens);
    for (OptionsSink *k : sinks)
        k->applyQuickPanel(s.autoResolve, s.showListens);
    DebugLog(QStringLiteral("calling SVB in PO"));
    for (OptionsSink *k : sinks)
        k->applyViewBar(s.vbShow);
    DebugLog(QStringLiteral("done calling SVB in PO"));
    for (OptionsSink *k : sinks)
        k->applyGridLines(s.showGrids);
    for (OptionsSink *k : sinks)
        k->applyRefreshTimer(s.RefreshDelay * 1000, s.autoRefresh);
    for (OptionsSink *k : sinks)
        k->applyColumnWidths(s.morecols);
    for (OptionsSink *k : sinks)
        k->applyMenuBar(s.showMenu);
    SetRunOnStartup(s.xRunOnStartup);
    for (OptionsSink *k : sinks)
        k->applyExtras(s);
}

QString desktopExecArgument(const QString &arg)
{
    static const QString reserved = QStringLiteral(" \t\n\r\"'\\><~|&;$*?#()`");
    bool needs = false;
    for (QChar c : arg)
        needs = needs || reserved.contains(c);
    // A lone % would start a field code (%f, %u, ...); %% is a literal one.
    if (!needs)
        return QString(arg).replace(QLatin1Char('%'), QLatin1String("%%"));
    QString out = QStringLiteral("\"");
    for (QChar c : arg) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += c;
    }
    out += QLatin1Char('"');
    // Inside a desktop file a backslash itself must be escaped once more, and
    // a line break must not end the Exec= line.
    out.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    out.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    out.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return out.replace(QLatin1Char('%'), QLatin1String("%%"));
}

QString autostartEntryPath()
{
    return Paths::autostartDir() + QStringLiteral("/wirevane.desktop");
}

void SetRunOnStartup(bool on)
{
    const QString path = autostartEntryPath();
    if (!on) {
        if (QFile::exists(path))
            QFile::remove(path);
        return;
    }
    QDir().mkpath(Paths::autostartDir());
    const QByteArray entry = QStringLiteral("[Desktop Entry]\n"
                                            "Type=Application\n"
                                            "Name=Wirevane\n"
                                            "Comment=Network connection monitor\n"
                                            "Exec=%1\n"
                                            "Icon=wirevane\n"
                                            "Terminal=false\n"
                                            "X-GNOME-Autostart-enabled=true\n")
                                 .arg(desktopExecArgument(Paths::executablePath()))
                                 .toUtf8();
    writeFileAtomically(path, entry);
}

} // namespace wv
