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

// Parses a command's arguments; on an error or --help prints the message
// and returns false with exitCode set.
bool parseArgs(QCommandLineParser &parser, const QString &command, const QStringList &args,
               int &exitCode);

// False, after saying so on standard error, when the command was given
// positional arguments it does not take.
bool noPositional(const QCommandLineParser &parser, const QString &command);

// Formats rows as left-aligned columns separated by two blanks.
QString formatTable(const QStringList &header, const QList<QStringList> &rows);

} // namespace wv::cli
