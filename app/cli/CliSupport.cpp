#include "app/cli/CliSupport.h"

#include <cstdio>

namespace wv::cli {

void out(const QString &text)
{
    const QByteArray b = text.toUtf8();
    std::fwrite(b.constData(), 1, static_cast<size_t>(b.size()), stdout);
    std::fflush(stdout);
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
        out(parser.helpText());
        exitCode = 0;
        return false;
    }
    return true;
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

bool noPositional(const QCommandLineParser &parser, const QString &command)
{
    if (parser.positionalArguments().isEmpty())
        return true;
    err(QStringLiteral("wirevane-cli %1: unexpected argument '%2'\n")
            .arg(command, parser.positionalArguments().first()));
    return false;
}

} // namespace wv::cli
