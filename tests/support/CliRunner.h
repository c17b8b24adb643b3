#pragma once

#include <QString>
#include <QStringList>

namespace wv::test {

// One run of the command-line companion.
struct CliRun
{
    int code = -1; // exit code; -1 when it crashed or did not finish
    QString out;   // standard output, as UTF-8 text
    QString err;   // standard error
};

// Runs wirevane-cli from the build's bin folder with `args`. A run that takes
// longer than `timeoutMs` is killed and reported as a test failure.
CliRun runCli(const QStringList &args, int timeoutMs = 20000);

} // namespace wv::test
