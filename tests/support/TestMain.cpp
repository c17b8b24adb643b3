// Shared main for the GoogleTest executables: a Qt core application for the
// event loops the code under test runs, and a per-user folder that is never
// the real one.
#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QTemporaryDir home;
    if (qEnvironmentVariableIsEmpty("WIREVANE_HOME"))
        qputenv("WIREVANE_HOME", home.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"))
        qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/xdg")).toLocal8Bit());
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
