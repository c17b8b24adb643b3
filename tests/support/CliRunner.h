#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace wv::test {

// One run of the command-line companion (or another program).
struct CliRun
{
    int code = -1; // exit code; -1 when it crashed or did not finish
    QString out;   // standard output, as UTF-8 text
    QString err;   // standard error
    QByteArray outBytes() const { return out.toUtf8(); }
    std::string errText() const { return err.toStdString(); }
};

struct CliOptions
{
    int timeoutMs = 20000;
    // The environment of the run; empty: the test's own.
    QProcessEnvironment environment;
    // Another program than wirevane-cli (a full path or a name on PATH).
    QString program;
    // Standard output goes to this file instead of being read (for example
    // /dev/full); `out` is then empty.
    QString outputFile;
};

// Runs wirevane-cli from the build's bin folder with `args`, keeping the
// test's event loop running meanwhile so that servers the test runs in its
// own thread keep answering. A run that takes longer than the time-out is
// killed and reported as a test failure.
CliRun runCli(const QStringList &args, const CliOptions &options);
CliRun runCli(const QStringList &args, int timeoutMs = 20000);

} // namespace wv::test
