#pragma once

#include <QCommandLineParser>
#include <QJsonDocument>
#include <QString>
#include <QStringList>

namespace wv::cli {

// Writes text to standard output / standard error (UTF-8).
void out(const QString &text);
void err(const QString &text);
void printJson(const QJsonDocument &doc);

// True once standard output could not be written (a full disk, a closed pipe
// whose signal is ignored); flushes what is buffered first.
bool outputFailed();
// The exit status of a command whose output may have failed: a failed write
// is reported and turns success into 1.
int finishOutput(int exitCode);

// Parses a command's arguments; on an error or --help prints the message
// and returns false with exitCode set.
bool parseArgs(QCommandLineParser &parser, const QString &command, const QStringList &args,
               int &exitCode);

// True when the parser holds no positional arguments; otherwise reports the
// first one as unexpected.
bool noPositional(const QCommandLineParser &parser, const QString &command);

// Reads an integer option within [min, max] into value (left alone when the
// option is absent); otherwise reports "--NAME takes MIN to MAX[ UNIT], not
// 'TEXT'" and returns false.
bool intOption(const QCommandLineParser &parser, const QCommandLineOption &option,
               const QString &command, int min, int max, int &value, const QString &unit = {});

// The one positional argument (not blank), or an empty string after
// reporting "give exactly one WHAT".
QString singleArgument(const QCommandLineParser &parser, const QString &command,
                       const QString &what);

// Formats rows as left-aligned columns separated by two blanks.
QString formatTable(const QStringList &header, const QList<QStringList> &rows);

} // namespace wv::cli
