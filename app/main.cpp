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
    settings.ProcessOptions();

    wv::TfrmMain window;
    window.show();
    return app.exec();
}
