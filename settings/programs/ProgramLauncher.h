#pragma once

#include <QString>
#include <QtGlobal>

namespace wv {

// The text as one word for the POSIX shell: in single quotes, each single
// quote written as '\''. Spaces, '$', '`', '"' and the like pass literally.
QString shellQuote(const QString &text);

// Starts a registered program: writes "executing " + path to the debug trace
// and runs `/bin/sh -c <quoted path>` detached, with `workingDir` (by default
// the per-user folder) as its working folder. Returns whether the shell
// started; whether the program itself exists is the shell's business, as the
// menu gives no message either way. `pid` receives the shell's process id.
bool LaunchProgram(const QString &path, const QString &workingDir = QString(),
                   qint64 *pid = nullptr);

// Hands a command line to the command interpreter as it stands (`/bin/sh -c
// <command>`), detached, in `workingDir` (by default the per-user folder): a
// rule's launch text may carry arguments, redirections and the like. Returns
// whether the shell started.
bool RunCommandLine(const QString &command, const QString &workingDir = QString(),
                    qint64 *pid = nullptr);

} // namespace wv
