#include "app/cli/CliSupport.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace wv::cli {

namespace {

// The first error met while writing standard output (0: none).
int g_outputError = 0;

} // namespace

void out(const QString &text)
{
    const QByteArray b = text.toUtf8();
    std::fwrite(b.constData(), 1, static_cast<size_t>(b.size()), stdout);
    if (std::fflush(stdout) != 0 && g_outputError == 0)
        g_outputError = errno ? errno : EIO;
}

bool outputFailed()
{
    if (g_outputError == 0 && (std::fflush(stdout) != 0 || std::ferror(stdout)))
        g_outputError = errno ? errno : EIO;
    return g_outputError != 0;
}

int finishOutput(int exitCode)
{
    if (!outputFailed())
        return exitCode;
    err(QStringLiteral("wirevane-cli: cannot write the output: %1\n")
            .arg(QString::fromLocal8Bit(std::strerror(g_outputError))));
    return exitCode == 0 ? 1 : exitCode;
}

void err(const QString &text)
{
    const QByteArray b = text.toUtf8();
    std::fwrite(b.constData(), 1, static_cast<size_t>(b.size()), stderr);
}

void printJson(const QJsonDocument &doc)
{
    out(QString::fromUtf8(doc.toJson(QJsonDocument::Indented)));
}

bool parseArgs(QCommandLineParser &parser, const QString &command, const QStringList &args,
               int &exitCode)
{
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    parser.addOption(help);
    QStringList full = args;
    full.prepend(QStringLiteral("wirevane-cli ") + command);
    if (!parser.parse(full)) {
        err(QStringLiteral("wirevane-cli %1: %2\n").arg(command, parser.errorText()));
        exitCode = 2;
        return false;
    }
    if (parser.isSet(help)) {
        // The parser names the program as it was started (often a full path)
        // and leaves the command out; show the line a user can type.
        QString text = parser.helpText();
        const QString started = QStringLiteral("Usage: ") + QCoreApplication::arguments().value(0);
        if (text.startsWith(started))
            text.replace(0, started.size(), QStringLiteral("Usage: wirevane-cli ") + command);
        out(text);
        exitCode = 0;
        return false;
    }
    return true;
}

bool noPositional(const QCommandLineParser &parser, const QString &command)
{
    if (parser.positionalArguments().isEmpty())
        return true;
    err(QStringLiteral("wirevane-cli %1: unexpected argument '%2'\n")
            .arg(command, parser.positionalArguments().first()));
    return false;
}

QString formatTable(const QStringList &header, const QList<QStringList> &rows)
{
    QList<qsizetype> widths;
    auto widen = [&](const QStringList &r) {
        for (qsizetype i = 0; i < r.size(); ++i) {
            if (widths.size() <= i)
                widths.append(0);
            widths[i] = std::max(widths[i], r[i].size());
        }
    };
    widen(header);
    for (const QStringList &r : rows)
        widen(r);
    QString text;
    auto line = [&](const QStringList &r) {
        QString l;
        for (qsizetype i = 0; i < r.size(); ++i)
            l += i + 1 < r.size() ? r[i].leftJustified(widths[i] + 2) : r[i];
        text += l + QLatin1Char('\n');
    };
    if (!header.isEmpty())
        line(header);
    for (const QStringList &r : rows)
        line(r);
    return text;
}

bool intOption(const QCommandLineParser &parser, const QCommandLineOption &option,
               const QString &command, int min, int max, int &value, const QString &unit)
{
    if (!parser.isSet(option))
        return true;
    bool ok = false;
    const int v = parser.value(option).toInt(&ok);
    if (!ok || v < min || v > max) {
        err(QStringLiteral("wirevane-cli %1: --%2 takes %3 to %4%5, not '%6'\n")
                .arg(command, option.names().constLast())
                .arg(min)
                .arg(max)
                .arg(unit.isEmpty() ? QString() : QLatin1Char(' ') + unit, parser.value(option)));
        return false;
    }
    value = v;
    return true;
}

QString singleArgument(const QCommandLineParser &parser, const QString &command,
                       const QString &what)
{
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1 || positional.first().trimmed().isEmpty()) {
        err(QStringLiteral("wirevane-cli %1: give exactly one %2\n").arg(command, what));
        return QString();
    }
    return positional.first();
}

} // namespace wv::cli
