#include "settings/DebugTrace.h"
#include "settings/RegistryStore.h"
#include "settings/SettingsStore.h"
#include "ui/TfrmMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Wirevane"));
    QApplication::setApplicationVersion(QStringLiteral("3.0"));

    wv::RegistryStore registry;
    wv::SettingsStore settings(registry);
    settings.ReadRegistry();

    // The window takes part in applying the options, so it exists first.
    wv::TfrmMain window(settings, {});
    settings.ProcessOptions();
    window.show();
    return app.exec();
}
