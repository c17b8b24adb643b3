#include "app/cli/CliSupport.h"
#include "app/cli/Commands.h"
#include "rules/RuleList.h"
#include "rules/RulesFile.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

namespace wv::cli {

namespace {

const char *const kActionNames[RuleActionCount] = {
    "disconnect", "passiveAlert", "alert",   "launch", "immediate",
    "log",        "mark",         "playWav", "email",  "lookup",
};

// Keeps one rule on one line of the table (e-mail lists span lines).
QString oneLine(QString s)
{
    s.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    s.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    s.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    s.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    return s;
}

QJsonObject ruleJson(int index, const TRule &r)
{
    QJsonArray actions;
    for (int a = 0; a < RuleActionCount; ++a) {
        if (r.Actions.contains(TRuleAction(a)))
            actions.append(QString::fromLatin1(kActionNames[a]));
    }
    QJsonObject o;
    o[QStringLiteral("index")] = index;
    o[QStringLiteral("number")] = r.Number;
    o[QStringLiteral("enabled")] = r.Enabled != 0;
    o[QStringLiteral("whoKind")] = r.WhoKind;
    o[QStringLiteral("eventKind")] = r.EventKind;
    o[QStringLiteral("portKind")] = r.PortKind;
    o[QStringLiteral("actionBits")] = r.Actions.bits();
    o[QStringLiteral("actions")] = actions;
    o[QStringLiteral("address")] = r.Address;
    o[QStringLiteral("port")] = r.Port;
    o[QStringLiteral("message")] = r.Message;
    o[QStringLiteral("launchFile")] = r.LaunchFile;
    o[QStringLiteral("wavFile")] = r.WavFile;
    o[QStringLiteral("emailTo")] = r.EmailTo;
    o[QStringLiteral("reservedText")] = r.ReservedText;
    o[QStringLiteral("summary")] = r.Summary();
    o[QStringLiteral("actionsText")] = r.ActionsText();
    o[QStringLiteral("sentence")] = r.Sentence();
    return o;
}

} // namespace

int rules(const QStringList &args)
{
    static const QStringList verbs = {QStringLiteral("add"), QStringLiteral("edit"),
                                      QStringLiteral("delete"), QStringLiteral("enable"),
                                      QStringLiteral("disable")};
    if (!args.isEmpty() && verbs.contains(args.first()))
        return rulesEdit(args.first(), args.mid(1));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lists the rules of a rules file (default: the user's rules.qrs).\n"
                       "'wirevane-cli rules add|edit N|delete N|enable N|disable N --help' "
                       "describes the commands that change rules."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The rules file to read."),
                                 QStringLiteral("[FILE]"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOption(json);
    int code = 0;
    if (!parseArgs(parser, QStringLiteral("rules"), args, code))
        return code;
    const QStringList pos = parser.positionalArguments();
    if (pos.size() > 1) {
        err(QStringLiteral("wirevane-cli rules: unexpected argument '%1'\n").arg(pos.at(1)));
        return 2;
    }

    const QString path = pos.isEmpty() ? RulesFile::defaultPath() : pos.first();
    TRuleList list;
    QString failure;
    // Without a FILE a missing rules file simply means no rules yet. The file
    // is only read here: a bad one is reported, never moved or deleted.
    if (!pos.isEmpty() || QFileInfo::exists(path)) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            err(QStringLiteral("wirevane-cli rules: cannot open '%1': %2\n")
                    .arg(path, f.errorString()));
            return 1;
        }
        try {
            list.LoadFromStream(&f);
        } catch (const std::exception &e) {
            failure = QString::fromStdString(e.what());
        }
    }

    if (parser.isSet(json)) {
        QJsonArray items;
        for (int i = 0; i < list.Count(); ++i)
            items.append(ruleJson(i, *list.Rule(i)));
        QJsonObject doc;
        doc[QStringLiteral("file")] = path;
        doc[QStringLiteral("rules")] = items;
        if (!failure.isEmpty())
            doc[QStringLiteral("error")] = failure;
        printJson(QJsonDocument(doc));
    } else if (list.Count() > 0) {
        QList<QStringList> rows;
        for (int i = 0; i < list.Count(); ++i) {
            const TRule &r = *list.Rule(i);
            rows.append({QString::number(i),
                         r.Enabled ? QStringLiteral("yes") : QStringLiteral("no"),
                         oneLine(r.Summary()), oneLine(r.ActionsText()), oneLine(r.Sentence())});
        }
        out(formatTable({QStringLiteral("#"), QStringLiteral("ENABLED"), QStringLiteral("SUMMARY"),
                         QStringLiteral("ACTIONS"), QStringLiteral("SENTENCE")},
                        rows));
    } else if (failure.isEmpty()) {
        out(QStringLiteral("No rules.\n"));
    }
    if (!failure.isEmpty()) {
        err(QStringLiteral("wirevane-cli rules: %1: %2\n").arg(path, failure));
        return 1;
    }
    return 0;
}

} // namespace wv::cli
