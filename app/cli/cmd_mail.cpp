#include "app/cli/CliSupport.h"
#include "app/cli/Commands.h"
#include "rules/mail/MailPassword.h"
#include "rules/mail/MailRelay.h"
#include "rules/mail/MailText.h"
#include "rules/mail/TSendMail.h"
#include "settings/RegistryStore.h"

#include <QEventLoop>
#include <QFile>
#include <QTextStream>

#include <cstdio>

namespace wv::cli {

namespace {

// "host", "host:port", "[v6]:port"; false when the port is not a number.
bool parseRelay(const QString &text, MailRelay &relay)
{
    QString host = text.trimmed();
    QString port;
    if (host.startsWith(QLatin1Char('['))) {
        const qsizetype close = host.indexOf(QLatin1Char(']'));
        if (close < 0)
            return false;
        port = host.mid(close + 1);
        host = host.mid(1, close - 1);
        if (!port.isEmpty() && !port.startsWith(QLatin1Char(':')))
            return false;
        port = port.mid(1);
    } else if (host.count(QLatin1Char(':')) == 1) {
        port = host.section(QLatin1Char(':'), 1);
        host = host.section(QLatin1Char(':'), 0, 0);
    }
    if (host.isEmpty())
        return false;
    relay.host = host;
    relay.port = 0;
    if (!port.isEmpty()) {
        bool ok = false;
        const int p = port.toInt(&ok);
        if (!ok || p < 1 || p > 65535)
            return false;
        relay.port = p;
    }
    return true;
}

QString readPasswordLine()
{
    QTextStream in(stdin);
    return in.readLine();
}

} // namespace

int mail(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sends one e-mail through the relay of the settings (or the one named here), as the "
        "rules' e-mail action does. Exits 0 only when the server accepted the message.\n"
        "The password of the relay's user comes from $WIREVANE_SMTP_PASSWORD, else from the "
        "password store; --store-password puts one there (read from standard input)."));
    const QCommandLineOption to(
        QStringLiteral("to"), QStringLiteral("A recipient, ADDRESS or ADDRESS|NAME (repeatable)."),
        QStringLiteral("ADDR[|NAME]"));
    const QCommandLineOption subject(QStringLiteral("subject"), QStringLiteral("The subject."),
                                     QStringLiteral("S"));
    const QCommandLineOption body(QStringLiteral("body"), QStringLiteral("The body text."),
                                  QStringLiteral("TEXT"));
    const QCommandLineOption bodyFile(QStringLiteral("body-file"),
                                      QStringLiteral("Read the body from a file."),
                                      QStringLiteral("F"));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Print every info and error event with its "
                                                    "code."));
    const QCommandLineOption relay(QStringLiteral("relay"),
                                   QStringLiteral("The relay to use instead of the configured "
                                                  "one (port: 25, 587 or 465 by security)."),
                                   QStringLiteral("HOST[:PORT]"));
    const QCommandLineOption security(QStringLiteral("security"),
                                      QStringLiteral("none, starttls or tls."),
                                      QStringLiteral("MODE"));
    const QCommandLineOption user(QStringLiteral("user"),
                                  QStringLiteral("Log in as this user (over TLS only)."),
                                  QStringLiteral("U"));
    const QCommandLineOption storePassword(
        QStringLiteral("store-password"),
        QStringLiteral("Store the password of the relay's user, read from standard input, and "
                       "send nothing (an empty line removes it)."));
    parser.addOptions({to, subject, body, bodyFile, verbose, relay, security, user, storePassword});
    int code = 0;
    if (!parseArgs(parser, QStringLiteral("mail"), args, code))
        return code;
    if (!noPositional(parser, QStringLiteral("mail")))
        return 2;
    auto usage = [](const QString &text) {
        err(QStringLiteral("wirevane-cli mail: %1\n").arg(text));
        return 2;
    };

    RegistryStore registry;
    MailRelay r = MailRelay::read(registry);
    if (parser.isSet(relay) && !parseRelay(parser.value(relay), r))
        return usage(
            QStringLiteral("--relay wants HOST or HOST:PORT, not '%1'").arg(parser.value(relay)));
    if (parser.isSet(security) && !parseSecurity(parser.value(security), r.security))
        return usage(QStringLiteral("--security wants none, starttls or tls, not '%1'")
                         .arg(parser.value(security)));
    if (parser.isSet(user))
        r.user = parser.value(user);

    if (parser.isSet(storePassword)) {
        if (r.user.isEmpty())
            return usage(QStringLiteral("--store-password needs a user (--user or the MailUser "
                                        "setting)"));
        QString error;
        if (!MailPassword::writeNow(r, readPasswordLine(), &error)) {
            err(QStringLiteral("wirevane-cli mail: %1\n").arg(error));
            return 1;
        }
        return 0;
    }

    const QStringList recipients = parser.values(to);
    if (recipients.isEmpty())
        return usage(QStringLiteral("at least one --to is needed"));
    for (const QString &rcpt : recipients) {
        const mail::Recipient split = mail::splitRecipient(rcpt);
        if (split.address.isEmpty() || split.address.contains(QLatin1Char(' ')) ||
            !split.address.contains(QLatin1Char('@')))
            return usage(QStringLiteral("'%1' is not an address").arg(rcpt));
    }
    if (!parser.isSet(subject))
        return usage(QStringLiteral("--subject is needed"));
    if (parser.isSet(body) == parser.isSet(bodyFile))
        return usage(QStringLiteral("give the body with either --body or --body-file"));
    QString text = parser.value(body);
    if (parser.isSet(bodyFile)) {
        QFile f(parser.value(bodyFile));
        if (!f.open(QIODevice::ReadOnly)) {
            err(QStringLiteral("wirevane-cli mail: cannot read %1: %2\n")
                    .arg(f.fileName(), f.errorString()));
            return 1;
        }
        text = QString::fromUtf8(f.readAll());
    }

    TSendMail m;
    m.SMTP_Server = r.host;
    m.SMTP_Port = static_cast<quint16>(r.effectivePort());
    m.Security = r.security;
    m.UserName = r.user;
    m.CaFile = r.effectiveCaFile();
    m.FROM_Name = r.fromName;
    m.FROM_Address = r.effectiveFromAddress();
    m.ListTo = recipients;
    m.Subject = parser.value(subject);
    m.MailText = mail::splitLines(text);
    if (!r.user.isEmpty()) {
        const QByteArray env = qgetenv("WIREVANE_SMTP_PASSWORD");
        if (!env.isEmpty()) {
            m.Password = QString::fromUtf8(env);
        } else {
            QString error;
            m.Password = MailPassword::readNow(r, &error);
            if (m.Password.isEmpty())
                err(QStringLiteral("wirevane-cli mail: no password stored for %1%2\n")
                        .arg(MailPassword::entryKey(r),
                             error.isEmpty() ? QString() : QStringLiteral(" (") + error + ')'));
        }
    }

    const bool loud = parser.isSet(verbose);
    QString failure;
    QObject::connect(&m, &TSendMail::OnMailInfo, [loud](int c, const QString &t) {
        if (loud)
            out(QStringLiteral("info %1: %2\n").arg(c).arg(t));
    });
    QObject::connect(&m, &TSendMail::OnMailError, [loud, &failure](int c, const QString &t) {
        failure = t;
        if (loud)
            out(QStringLiteral("error %1: %2\n").arg(c).arg(t));
    });
    QEventLoop loop;
    bool sent = false;
    QObject::connect(&m, &TSendMail::completed, &loop, [&](bool ok) {
        sent = ok;
        loop.quit();
    });
    m.setAction(1);
    if (m.busy())
        loop.exec();
    if (!sent) {
        err(QStringLiteral("wirevane-cli mail: %1\n")
                .arg(failure.isEmpty() ? QStringLiteral("the mail was not sent") : failure));
        return 1;
    }
    return 0;
}

} // namespace wv::cli
