#include "tests/support/CliRunner.h"

#include "tests/support/TestHome.h"

#include <QCoreApplication>
#include <QProcess>

#include <gtest/gtest.h>

namespace wv::test {

CliRun runCli(const QStringList &args, int timeoutMs)
{
    // Run outside ctest, the companion sits beside the test.
    const QString bin = binDir().isEmpty() ? QCoreApplication::applicationDirPath() : binDir();
    QProcess p;
    p.start(bin + QStringLiteral("/wirevane-cli"), args);
    CliRun r;
    if (!p.waitForFinished(timeoutMs)) {
        ADD_FAILURE() << "wirevane-cli " << args.join(QLatin1Char(' ')).toStdString()
                      << " did not finish";
        p.kill();
        p.waitForFinished(5000);
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace wv::test
