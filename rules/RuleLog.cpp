#include "rules/RuleLog.h"

#include "settings/DebugTrace.h"
#include "settings/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>

namespace wv {

QString RuleLog::defaultPath()
{
    return Paths::userFile(QString::fromLatin1(FileName));
}

QString RuleLog::stamp(const QDateTime &when)
{
    const QLocale locale;
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(when.time(), QLocale::LongFormat);
}

bool RuleLog::WriteLog(const QString &text, const QString &path, const QDateTime &when)
{
    // One call, one line: a host name with a line break in it must not
    // start a line of its own.
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));

    QByteArray out;
    const QFileInfo info(path);
    if (!info.exists()) {
        if (!QDir().mkpath(info.absolutePath())) {
            DebugLog(QStringLiteral("WriteLog error"));
            return false;
        }
        out += ("-- WVN Pro log file -- created " + stamp(when) + "\r\n\r\n").toUtf8();
    }
    out += (stamp(when) + QStringLiteral(": ") + line + QStringLiteral("\r\n")).toUtf8();

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(out) != out.size() ||
        !file.flush()) {
        DebugLog(QStringLiteral("WriteLog error"));
        return false;
    }
    file.close();
    return true;
}

bool PlaySoundFile(const QString &file)
{
    if (file.isEmpty() || !QFileInfo::exists(file))
        return false;
    for (const char *name : {"pw-play", "paplay", "aplay"}) {
        const QString player = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (player.isEmpty())
            continue;
        QProcess process;
        process.setProgram(player);
        QStringList args;
        if (qstrcmp(name, "aplay") == 0)
            args << QStringLiteral("-q");
        args << file;
        process.setArguments(args);
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        return process.startDetached();
    }
    return false;
}

} // namespace wv
