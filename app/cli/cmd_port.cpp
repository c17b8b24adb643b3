#include "app/cli/CliSupport.h"
#include "app/cli/Commands.h"
#include "monitor/portdb/PortDatabase.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>

namespace wv::cli {

namespace {

// A negative port number looks like an option to the parser; everything
// that is a whole number goes behind "--" so that it is read as the port.
QStringList numbersAsPositional(const QStringList &args)
{
    static const QRegularExpression number(QStringLiteral(R"(^[+-]?\d+$)"));
    QStringList options, positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--")) {
            positional += args.mid(i + 1);
            break;
        }
        if (a == QLatin1String("--db") && i + 1 < args.size()) {
            options << a << args.at(++i);
            continue;
        }
        (number.match(a).hasMatch() ? positional : options) << a;
    }
    if (!positional.isEmpty())
        options << QStringLiteral("--") << positional;
    return options;
}

} // namespace

int port(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows what the port database says about a port number."));
    parser.addPositionalArgument(QStringLiteral("port"), QStringLiteral("Port number, 0-65535."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    const QCommandLineOption db(QStringLiteral("db"),
                                QStringLiteral("Read this database instead of the installed one."),
                                QStringLiteral("file"));
    parser.addOption(json);
    parser.addOption(db);
    int code = 0;
    if (!parseArgs(parser, QStringLiteral("port"), numbersAsPositional(args), code))
        return code;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        err(QStringLiteral("wirevane-cli port: expected one port number\n"));
        return 2;
    }
    bool ok = false;
    const qlonglong number = positional.first().toLongLong(&ok);
    if (!ok) {
        err(QStringLiteral("wirevane-cli port: '%1' is not a port number\n")
                .arg(positional.first()));
        return 2;
    }
    // Numbers beyond 32 bits are no port either; they look up as not found.
    const qint32 asked =
        number >= std::numeric_limits<qint32>::min() && number <= std::numeric_limits<qint32>::max()
            ? static_cast<qint32>(number)
            : -1;

    const QString path = parser.isSet(db) ? parser.value(db) : PortDatabase::defaultPath();
    TPortInfo info;
    try {
        LoadPort(path, asked, info);
    } catch (const EPortDatabaseOpenError &e) {
        err(QStringLiteral("wirevane-cli port: %1\n").arg(e.message()));
        return 1;
    }

    if (parser.isSet(json)) {
        QJsonObject o;
        o[QStringLiteral("port")] = number;
        o[QStringLiteral("found")] = info.Found;
        if (info.Found) {
            o[QStringLiteral("name")] = info.Name;
            o[QStringLiteral("protocols")] = info.Text2;
            o[QStringLiteral("description")] = info.Text3;
            o[QStringLiteral("details")] = info.Text4;
        }
        o[QStringLiteral("lines")] = QJsonArray::fromStringList(info.displayLines());
        printJson(QJsonDocument(o));
    } else {
        out(info.displayLines().join(QLatin1Char('\n')) + QLatin1Char('\n'));
    }
    return info.Found ? 0 : 1;
}

} // namespace wv::cli
