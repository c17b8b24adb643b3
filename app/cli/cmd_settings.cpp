#include "app/cli/CliSupport.h"
#include "app/cli/Commands.h"
#include "rules/mail/MailRelay.h"
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
        MailRelay relay = MailRelay::read(registry);
        const MailRelay relayBefore = relay;
        bool runOnStartup = false;
        for (const QString &a : parser.values(set) + parser.positionalArguments()) {
            QString error;
            // The e-mail relay's keys live under their own registry key.
            if (const MailRelayKey *k = findMailRelayKey(a.section(QLatin1Char('='), 0, 0))) {
                const QString wrong = a.contains(QLatin1Char('='))
                                          ? k->set(relay, a.section(QLatin1Char('='), 1))
                                          : QStringLiteral("KEY=VALUE expected");
                if (!wrong.isEmpty()) {
                    err(QStringLiteral("wirevane-cli settings: %1: %2\n")
                            .arg(QLatin1String(k->key), wrong));
                    return 2;
                }
                continue;
            }
            const SettingDescriptor *d = nullptr;
            if (!applySettingAssignment(changed, a, &error, &d)) {
                err(QStringLiteral("wirevane-cli settings: %1\n").arg(error));
                return 2;
            }
            runOnStartup = runOnStartup || QLatin1String(d->key) == QLatin1String("xRunOnStartup");
        }
        if (!(relay == relayBefore) && !relay.write(registry)) {
            err(QStringLiteral("wirevane-cli settings: cannot write %1\n")
                    .arg(registry.file().path()));
            return 1;
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
        const MailRelay relay = MailRelay::read(registry);
        for (const MailRelayKey &k : mailRelayKeys()) {
            QJsonObject o;
            o[QStringLiteral("key")] = QString::fromLatin1(k.key);
            o[QStringLiteral("section")] = QString::fromLatin1(MailRelay::RegistryKey);
            const bool isInt = QLatin1String(k.key) == QLatin1String("MailPort");
            o[QStringLiteral("type")] = isInt ? QStringLiteral("I") : QStringLiteral("S");
            if (isInt) {
                o[QStringLiteral("value")] = k.get(relay).toInt();
                o[QStringLiteral("default")] = QString::fromLatin1(k.defaultText).toInt();
            } else {
                o[QStringLiteral("value")] = k.get(relay);
                o[QStringLiteral("default")] = QString::fromLatin1(k.defaultText);
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
    // Then the e-mail relay, kept under its own key.
    const MailRelay relay = MailRelay::read(registry);
    QList<QStringList> relayRows;
    for (const MailRelayKey &k : mailRelayKeys())
        relayRows.append({QString::fromLatin1(k.key),
                          QLatin1String(k.key) == QLatin1String("MailPort") ? QStringLiteral("I")
                                                                            : QStringLiteral("S"),
                          k.get(relay), QString::fromLatin1(k.defaultText)});
    out(QStringLiteral("\nE-mail relay [%1]:\n").arg(QString::fromLatin1(MailRelay::RegistryKey)) +
        formatTable({QStringLiteral("KEY"), QStringLiteral("TYPE"), QStringLiteral("VALUE"),
                     QStringLiteral("DEFAULT")},
                    relayRows));
    return 0;
}

} // namespace wv::cli
