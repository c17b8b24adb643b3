// `wirevane-cli rules add|edit N|delete N|enable N|disable N`: the rule
// editor's fields as options, so that rules can be kept as a script.

#include "app/cli/CliSupport.h"
#include "app/cli/Commands.h"
#include "rules/RuleList.h"
#include "rules/RulesFile.h"

#include <QFile>
#include <QFileInfo>

namespace wv::cli {

namespace {

// The names `rules --json` prints, in bit order.
const char *const kActionNames[RuleActionCount] = {
    "disconnect", "passiveAlert", "alert",   "launch", "immediate",
    "log",        "mark",         "playWav", "email",  "lookup",
};

bool parseActions(const QString &text, TRuleActions *actions, QString *error)
{
    TRuleActions result;
    for (const QString &raw : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = raw.trimmed();
        if (name.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0)
            continue;
        int bit = -1;
        for (int a = 0; a < RuleActionCount; ++a) {
            if (name.compare(QLatin1String(kActionNames[a]), Qt::CaseInsensitive) == 0)
                bit = a;
        }
        if (bit < 0) {
            *error = QStringLiteral("unknown action '%1' (one of: disconnect, immediate, lookup, "
                                    "log, mark, playWav, launch, alert, passiveAlert, email, "
                                    "none)")
                         .arg(name);
            return false;
        }
        result.set(TRuleAction(bit));
    }
    *actions = result;
    return true;
}

struct FieldOptions
{
    QCommandLineOption anyone{QStringLiteral("anyone"), QStringLiteral("Anyone (the default).")};
    QCommandLineOption address{QStringLiteral("address"),
                               QStringLiteral("Someone whose address or host name contains TEXT."),
                               QStringLiteral("TEXT")};
    QCommandLineOption event{QStringLiteral("event"),
                             QStringLiteral("any (any kind of connection, the default), syn (a "
                                            "SYN type event) or over2 (more than two "
                                            "connections)."),
                             QStringLiteral("KIND")};
    QCommandLineOption anyPort{QStringLiteral("any-port"),
                               QStringLiteral("Any local port (the default).")};
    QCommandLineOption port{QStringLiteral("port"), QStringLiteral("A specific port (digits)."),
                            QStringLiteral("N")};
    QCommandLineOption actions{
        QStringLiteral("actions"),
        QStringLiteral("The actions, separated by commas: disconnect, immediate, lookup, log, "
                       "mark, playWav, launch, alert, passiveAlert, email, or none (a new rule "
                       "has mark, as in the editor)."),
        QStringLiteral("LIST")};
    QCommandLineOption message{QStringLiteral("message"), QStringLiteral("The alert's text."),
                               QStringLiteral("TEXT")};
    QCommandLineOption launch{QStringLiteral("launch"), QStringLiteral("The program to launch."),
                              QStringLiteral("FILE")};
    QCommandLineOption wav{QStringLiteral("wav"), QStringLiteral("The WAV file to play."),
                           QStringLiteral("FILE")};
    QCommandLineOption email{QStringLiteral("email"),
                             QStringLiteral("An address to send the e-mail to (repeat for "
                                            "more; replaces the list)."),
                             QStringLiteral("ADDRESS")};
    QCommandLineOption disabled{QStringLiteral("disabled"),
                                QStringLiteral("Add the rule switched off.")};

    void addTo(QCommandLineParser &p, bool adding)
    {
        p.addOptions({anyone, address, event, anyPort, port, actions, message, launch, wav, email});
        if (adding)
            p.addOption(disabled);
    }

    // Sets the fields the options name; the others stay as they are.
    bool apply(const QCommandLineParser &p, TRule &r, QString *error) const
    {
        if (p.isSet(anyone) && p.isSet(address)) {
            *error = QStringLiteral("--anyone and --address exclude each other");
            return false;
        }
        if (p.isSet(anyPort) && p.isSet(port)) {
            *error = QStringLiteral("--any-port and --port exclude each other");
            return false;
        }
        if (p.isSet(anyone))
            r.WhoKind = 0;
        if (p.isSet(address)) {
            r.WhoKind = 1;
            r.Address = p.value(address);
        }
        if (p.isSet(event)) {
            const QString e = p.value(event).toLower();
            const QStringList kinds = {QStringLiteral("any"), QStringLiteral("syn"),
                                       QStringLiteral("over2")};
            if (!kinds.contains(e)) {
                *error =
                    QStringLiteral("--event is any, syn or over2, not '%1'").arg(p.value(event));
                return false;
            }
            r.EventKind = quint8(kinds.indexOf(e));
        }
        if (p.isSet(anyPort))
            r.PortKind = 0;
        if (p.isSet(port)) {
            // The editor's port box takes digits only.
            const QString v = p.value(port);
            bool digits = !v.isEmpty();
            for (QChar c : v)
                digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
            if (!digits) {
                *error = QStringLiteral("--port takes digits only, not '%1'").arg(v);
                return false;
            }
            r.PortKind = 1;
            r.Port = v;
        }
        if (p.isSet(actions) && !parseActions(p.value(actions), &r.Actions, error))
            return false;
        if (p.isSet(message))
            r.Message = p.value(message);
        if (p.isSet(launch))
            r.LaunchFile = p.value(launch);
        if (p.isSet(wav))
            r.WavFile = p.value(wav);
        if (p.isSet(email))
            r.EmailTo = p.values(email).join(QStringLiteral("\r\n"));
        return true;
    }
};

} // namespace

int rulesEdit(const QString &verb, const QStringList &args)
{
    const bool adding = verb == QLatin1String("add");
    const QString command = QStringLiteral("rules ") + verb;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        adding ? QStringLiteral("Adds a rule at the end of the rules file.")
        : verb == QLatin1String("edit")
            ? QStringLiteral("Changes the fields of rule N that the options name.")
            : QStringLiteral("Deletes, enables or disables rule N (as `wirevane-cli rules` "
                             "numbers them)."));
    if (!adding)
        parser.addPositionalArgument(QStringLiteral("N"), QStringLiteral("The rule's number."));
    const QCommandLineOption file(QStringLiteral("file"),
                                  QStringLiteral("The rules file (default: the user's rules.qrs)."),
                                  QStringLiteral("FILE"));
    parser.addOption(file);
    FieldOptions fields;
    const bool editing = adding || verb == QLatin1String("edit");
    if (editing)
        fields.addTo(parser, adding);
    int code = 0;
    if (!parseArgs(parser, command, args, code))
        return code;
    const QStringList pos = parser.positionalArguments();
    int n = -1;
    if (adding) {
        if (!noPositional(parser, command))
            return 2;
    } else {
        bool ok = false;
        n = pos.value(0).toInt(&ok);
        if (pos.size() != 1 || !ok || n < 0) {
            err(QStringLiteral("wirevane-cli %1: give the rule's number N\n").arg(command));
            return 2;
        }
    }

    const QString path = parser.isSet(file) ? parser.value(file) : RulesFile::defaultPath();
    TRuleList list;
    if (QFileInfo::exists(path)) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            err(QStringLiteral("wirevane-cli %1: cannot open '%2': %3\n")
                    .arg(command, path, f.errorString()));
            return 1;
        }
        // A zero-length file holds no rules yet.
        if (f.size() > 0) {
            try {
                list.LoadFromStream(&f);
            } catch (const std::exception &e) {
                err(QStringLiteral("wirevane-cli %1: %2: %3 (the file was not changed)\n")
                        .arg(command, path, QString::fromStdString(e.what())));
                return 1;
            }
        }
    }
    if (!adding && n >= list.Count()) {
        err(QStringLiteral("wirevane-cli %1: there is no rule %2 (%3 rules)\n")
                .arg(command)
                .arg(n)
                .arg(list.Count()));
        return 2;
    }

    QString error;
    QString done;
    if (adding) {
        auto rule = std::make_unique<TRule>();
        // What a new rule gets in the editor: port 21 kept, the asterisk on.
        rule->Port = QStringLiteral("21");
        rule->Actions = TRuleActions{raMark};
        rule->Number = list.Count();
        if (!fields.apply(parser, *rule, &error)) {
            err(QStringLiteral("wirevane-cli %1: %2\n").arg(command, error));
            return 2;
        }
        rule->Enabled = parser.isSet(fields.disabled) ? 0 : 1;
        list.Add(std::move(rule));
        done = QStringLiteral("Rule %1 added.").arg(list.Count() - 1);
    } else if (verb == QLatin1String("edit")) {
        if (!fields.apply(parser, *list.Rule(n), &error)) {
            err(QStringLiteral("wirevane-cli %1: %2\n").arg(command, error));
            return 2;
        }
        done = QStringLiteral("Rule %1 changed.").arg(n);
    } else if (verb == QLatin1String("delete")) {
        list.Items().erase(list.Items().begin() + n);
        done = QStringLiteral("Rule %1 deleted.").arg(n);
    } else {
        list.Rule(n)->Enabled = verb == QLatin1String("enable") ? 1 : 0;
        done = QStringLiteral("Rule %1 %2.").arg(n).arg(verb + QLatin1Char('d'));
    }
    // Numbers follow the list's order, as the next evaluation pass sets them.
    for (int i = 0; i < list.Count(); ++i)
        list.Rule(i)->Number = i;
    try {
        RulesFile(path).save(list);
    } catch (const std::exception &e) {
        err(QStringLiteral("wirevane-cli %1: %2\n").arg(command, QString::fromStdString(e.what())));
        return 1;
    }
    out(done + QLatin1Char('\n'));
    return 0;
}

} // namespace wv::cli
