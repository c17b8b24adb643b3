#include "tests/support/CliRunner.h"

#include "tests/support/TestHome.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

namespace wv::test {

CliRun runCli(const QStringList &args, const CliOptions &options)
{
    QString program = options.program;
    if (program.isEmpty()) {
        // Run outside ctest, the companion sits beside the test.
        const QString bin = binDir().isEmpty() ? QCoreApplication::applicationDirPath() : binDir();
        program = bin + QStringLiteral("/wirevane-cli");
    }
    QProcess p;
    if (!options.environment.isEmpty())
        p.setProcessEnvironment(options.environment);
    if (!options.outputFile.isEmpty())
        p.setStandardOutputFile(options.outputFile);
    QEventLoop loop;
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&p, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(options.timeoutMs, &loop, &QEventLoop::quit);
    p.start(program, args);
    if (p.state() != QProcess::NotRunning)
        loop.exec();
    CliRun r;
    if (p.state() != QProcess::NotRunning) {
        ADD_FAILURE() << program.toStdString() << ' ' << args.join(QLatin1Char(' ')).toStdString()
                      << " did not finish";
        p.kill();
        p.waitForFinished(5000);
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit && p.error() != QProcess::FailedToStart
                 ? p.exitCode()
                 : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

CliRun runCli(const QStringList &args, int timeoutMs)
{
    CliOptions options;
    options.timeoutMs = timeoutMs;
    return runCli(args, options);
}

} // namespace wv::test
