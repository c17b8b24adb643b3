#include "app/cli/CliSupport.h"
#include "app/cli/Commands.h"
#include "settings/Profile.h"
#include "settings/RegistryStore.h"
#include "settings/SettingsStore.h"

namespace wv::cli {

int profile(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Exports the configuration (DNS cache, recognized names, programs, rules, "
                       "window layout and the transferable settings) to a .wcf profile, or "
                       "imports one."));
    parser.addPositionalArgument(QStringLiteral("export|import"), QStringLiteral("What to do."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The profile file."));
    int code = 0;
    if (!parseArgs(parser, QStringLiteral("profile"), args, code))
        return code;
    const QStringList pos = parser.positionalArguments();
    if (pos.size() != 2 ||
        (pos.at(0) != QLatin1String("export") && pos.at(0) != QLatin1String("import"))) {
        err(QStringLiteral("wirevane-cli profile: give 'export FILE' or 'import FILE'\n"));
        return 2;
    }
    const QString &file = pos.at(1);
    RegistryStore registry;
    SettingsStore settings(registry);
    settings.ReadRegistry();
    Profile profile;
    if (pos.at(0) == QLatin1String("export")) {
        settings.SettingsToFile();
        if (!profile.wvnEXP(file)) {
            err(QStringLiteral("wirevane-cli profile: %1\n").arg(profile.lastError()));
            return 1;
        }
        out(Profile::ExportDone + QLatin1Char('\n'));
        return 0;
    }
    if (!profile.wvnIMP(file)) {
        err(QStringLiteral("wirevane-cli profile: %1\n").arg(profile.lastError()));
        return 1;
    }
    settings.FileToSettings();
    settings.WriteRegistry();
    out(QStringLiteral("Settings successfully imported.\n"));
    return 0;
}

} // namespace wv::cli
