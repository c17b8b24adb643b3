// Rewrites one ini file as fast as it can until it is killed. Each version
// holds a counter and a large value derived from it, so a reader can tell a
// complete version from a torn one.
#include "settings/IniFile.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    wv::IniFile ini(QString::fromLocal8Bit(argv[1]));
    for (int n = 1; n < 1000000; ++n) {
        const QString c = QString::number(n);
        ini.writeStrings(QStringLiteral("S"), {{QStringLiteral("counter"), c},
                                               {QStringLiteral("pad"), c.repeated(20000)},
                                               {QStringLiteral("check"), c}});
        if (n == 1) {
            std::puts("started");
            std::fflush(stdout);
        }
    }
    return 0;
}
