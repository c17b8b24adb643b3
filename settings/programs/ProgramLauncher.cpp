#include "settings/programs/ProgramLauncher.h"

#include "settings/DebugTrace.h"
#include "settings/Paths.h"

#include <QProcess>

namespace wv {

QString shellQuote(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

bool RunCommandLine(const QString &command, const QString &workingDir, qint64 *pid)
{
    QProcess process;
    process.setProgram(QStringLiteral("/bin/sh"));
    process.setArguments({QStringLiteral("-c"), command});
    process.setWorkingDirectory(workingDir.isEmpty() ? Paths::userDir() : workingDir);
    // The program must not inherit the monitor's terminal input.
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached(pid);
}

bool LaunchProgram(const QString &path, const QString &workingDir, qint64 *pid)
{
    DebugLog(QStringLiteral("executing ") + path);
    // The menu's text is one path, spaces and all.
    return RunCommandLine(shellQuote(path), workingDir, pid);
}

} // namespace wv
