#include "app/cli/CliSupport.h"
#include "app/cli/Commands.h"
#include "settings/RegistryStore.h"
#include "settings/SettingRanges.h"
#include "settings/SettingsStore.h"

#include <QJsonArray>
#include <QJsonObject>

namespace wv::cli {

int settings(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows every setting with its type, current value and default; with "
                       "--set, changes settings first (checked against the options dialog's "
                       "ranges)."));
    parser.addPositionalArgument(QStringLiteral("KEY=VALUE"),
                                 QStringLiteral("More settings to change (with --set)."),
                                 QStringLiteral("[KEY=VALUE...]"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    const QCommandLineOption set(QStringLiteral("set"),
                                 QStringLiteral("Change a setting (booleans 0 or 1)."),
                                 QStringLiteral("KEY=VALUE"));
    parser.addOptions({json, set});
    int code = 0;
    if (!parseArgs(parser, QStringLiteral("settings"), args, code))
        return code;
    if (!parser.isSet(set) && !noPositional(parser, QStringLiteral("settings")))
        return 2;

    RegistryStore registry;
    SettingsStore store(registry);
    store.ReadRegistry();
    if (parser.isSet(set)) {
        Settings changed = store.values();
        bool runOnStartup = false;
        for (const QString &a : parser.values(set) + parser.positionalArguments()) {
            QString error;
            const SettingDescriptor *d = nullptr;
            if (!applySettingAssignment(changed, a, &error, &d)) {
                err(QStringLiteral("wirevane-cli settings: %1\n").arg(error));
                return 2;
            }
            runOnStartup = runOnStartup || QLatin1String(d->key) == QLatin1String("xRunOnStartup");
        }
        store.values() = changed;
        store.WriteRegistry();
        // The store never reports a failed write; reading it back does.
        RegistryStore check;
        SettingsStore reread(check);
        reread.ReadRegistry();
        if (!(reread.values() == changed)) {
            err(QStringLiteral("wirevane-cli settings: cannot write %1\n")
                    .arg(registry.file().path()));
            return 1;
        }
        // The window applies this one at start-up; do it now, as its options dialog would.
        if (runOnStartup)
            SetRunOnStartup(changed.xRunOnStartup);
    }
    const Settings &s = store.values();

    if (parser.isSet(json)) {
        QJsonArray list;
        for (const SettingDescriptor &d : settingDescriptors()) {
            QJsonObject o;
            o[QStringLiteral("key")] = QString::fromLatin1(d.key);
            o[QStringLiteral("type")] = QString(QLatin1Char(d.typeCode()));
            switch (d.typeCode()) {
            case 'B':
                o[QStringLiteral("value")] = d.text(s) == QLatin1String("1");
                o[QStringLiteral("default")] = d.defaultText() == QLatin1String("1");
                break;
            case 'I':
                o[QStringLiteral("value")] = d.text(s).toInt();
                o[QStringLiteral("default")] = d.defaultText().toInt();
                break;
            default:
                o[QStringLiteral("value")] = d.text(s);
                o[QStringLiteral("default")] = d.defaultText();
            }
            list.append(o);
        }
        printJson(QJsonDocument(list));
        return 0;
    }
    QList<QStringList> rows;
    for (const SettingDescriptor &d : settingDescriptors())
        rows.append({QString::fromLatin1(d.key), QString(QLatin1Char(d.typeCode())), d.text(s),
                     d.defaultText()});
    out(formatTable({QStringLiteral("KEY"), QStringLiteral("TYPE"), QStringLiteral("VALUE"),
                     QStringLiteral("DEFAULT")},
                    rows));
    return 0;
}

} // namespace wv::cli
