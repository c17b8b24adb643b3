#include "app/cli/CliSupport.h"
#include "app/cli/Commands.h"
#include "settings/RegistryStore.h"
#include "settings/SettingsStore.h"

#include <QJsonArray>
#include <QJsonObject>

namespace wv::cli {

int settings(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows every setting with its type, current value and default."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOption(json);
    int code = 0;
    if (!parseArgs(parser, QStringLiteral("settings"), args, code))
        return code;
    if (!noPositional(parser, QStringLiteral("settings")))
        return 2;

    RegistryStore registry;
    SettingsStore store(registry);
    store.ReadRegistry();
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
