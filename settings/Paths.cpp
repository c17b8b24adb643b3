#include "settings/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace wv::Paths {

namespace {

QString xdgConfigHome()
{
    const QByteArray xdg = qgetenv("XDG_CONFIG_HOME");
    // The XDG rules ignore relative paths.
    if (!xdg.isEmpty() && QDir::isAbsolutePath(QString::fromLocal8Bit(xdg)))
        return QString::fromLocal8Bit(xdg);
    return QDir::homePath() + QStringLiteral("/.config");
}

QString exeDir()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    return QFileInfo(self.symLinkTarget()).absolutePath();
}

} // namespace

QString userDir()
{
    QString dir;
    const QByteArray env = qgetenv("WIREVANE_HOME");
    if (!env.isEmpty())
        dir = QDir(QString::fromLocal8Bit(env)).absolutePath();
    else
        dir = xdgConfigHome() + QStringLiteral("/wirevane");
    QDir().mkpath(dir);
    return dir;
}

QString userFile(const QString &bareName)
{
    return userDir() + QLatin1Char('/') + bareName;
}

QString dataDir()
{
    const QByteArray env = qgetenv("WIREVANE_DATA");
    if (!env.isEmpty())
        return QDir(QString::fromLocal8Bit(env)).absolutePath();
    const QString base = exeDir();
    // The companion's parts lie one folder deeper (<prefix>/libexec/wirevane).
    for (const QString &candidate :
         {base + QStringLiteral("/../data"), base + QStringLiteral("/data"),
          base + QStringLiteral("/../share/wirevane"), base + QStringLiteral("/../../data"),
          base + QStringLiteral("/../../share/wirevane")}) {
        if (QFileInfo(candidate).isDir())
            return QDir(candidate).canonicalPath();
    }
    return QDir(base + QStringLiteral("/../share/wirevane")).absolutePath();
}

QString dataFile(const QString &bareName)
{
    return dataDir() + QLatin1Char('/') + bareName;
}

QString autostartDir()
{
    return xdgConfigHome() + QStringLiteral("/autostart");
}

QString executablePath()
{
    const QString self = QCoreApplication::instance()
                             ? QCoreApplication::applicationFilePath()
                             : QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (self.isEmpty())
        return QStringLiteral("wirevane");
    const QFileInfo info(self);
    if (info.fileName() == QLatin1String("wirevane"))
        return self;
    // Another program of Wirevane's (the companion, which can turn the start
    // with the session on): the monitor beside it, or in the programs' folder
    // beside the companion's parts.
    for (const QString &candidate : {info.absolutePath() + QStringLiteral("/wirevane"),
                                     info.absolutePath() + QStringLiteral("/../../bin/wirevane")}) {
        const QFileInfo monitor(candidate);
        if (monitor.isFile() && monitor.isExecutable())
            return monitor.canonicalFilePath();
    }
    return self;
}

} // namespace wv::Paths
