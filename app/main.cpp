#include "components/ui/WvApplication.h"
#include "mainwin/ui/MainProgram.h"
#include "settings/Version.h"

int main(int argc, char *argv[])
{
    wv::WvApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Wirevane"));
    QApplication::setApplicationVersion(wv::programVersion());
    QApplication::setDesktopFileName(QStringLiteral("wirevane"));

    wv::MainProgram program;
    program.Create();
    // The error window is ready before anything can go wrong in the loop.
    app.errorWindow();
    return app.exec();
}
