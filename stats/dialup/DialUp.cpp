#include "stats/dialup/DialUp.h"

#include "settings/DebugTrace.h"
#include "stats/dialup/DefaultRoute.h"

#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace wv {

const QStringList DialUpLink::DialUpTypes = {QStringLiteral("gsm"), QStringLiteral("cdma"),
                                             QStringLiteral("pppoe"), QStringLiteral("bluetooth")};

DialUpLink::DialUpLink(const QString &nmcli, int timeoutMs)
    : m_nmcli(nmcli), m_timeoutMs(timeoutMs), m_routeFile(QString::fromLatin1(ProcNetRoute))
{
}

void DialUpLink::setSystemPaths(const QString &routeFile, const QString &sysClassNet)
{
    m_routeFile = routeFile;
    m_sysClassNet = sysClassNet;
}

bool DialUpLink::run(const QStringList &args, QByteArray *output) const
{
    QProcess p;
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(m_nmcli, args);
    if (!p.waitForFinished(m_timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    if (output)
        *output = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QStringList DialUpLink::parseActive(const QByteArray &output)
{
    QStringList ids;
    for (const QByteArray &raw : output.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        // Terse output escapes a ':' inside a field as "\:"; UUIDs have none.
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon <= 0)
            continue;
        const QString type = line.mid(colon + 1);
        if (DialUpTypes.contains(type))
            ids.append(line.left(colon));
    }
    return ids;
}

QStringList DialUpLink::GetConnections() const
{
    QByteArray out;
    if (!run({QStringLiteral("-t"), QStringLiteral("-f"), QStringLiteral("UUID,TYPE"),
              QStringLiteral("connection"), QStringLiteral("show"), QStringLiteral("--active")},
             &out))
        return {};
    return parseActive(out);
}

bool DialUpLink::HangUpConn(const QString &id) const
{
    return run({QStringLiteral("connection"), QStringLiteral("down"), QStringLiteral("uuid"), id},
               nullptr);
}

bool DialUpLink::HangUpLast() const
{
    DebugLog(QStringLiteral("dialup1.GetConnections;"));
    const QStringList active = GetConnections();
    DebugLog(QStringLiteral("dialup1.HangUpConn(rnah);"));
    if (active.isEmpty()) {
        DebugLog(QStringLiteral("no active dial-up connection"));
        return false;
    }
    const bool ok = HangUpConn(active.last());
    if (!ok)
        DebugLog(QStringLiteral("hang-up of ") + active.last() + QStringLiteral(" failed"));
    return ok;
}

namespace {

// Runs nmcli in the background; `finished` gets whether it exited with 0,
// its standard output and a reason when it did not. Bounded by timeoutMs.
void runAsync(QObject *context, const QString &program, const QStringList &args, int timeoutMs,
              std::function<void(bool ok, const QByteArray &out, const QString &why)> finished)
{
    auto *p = new QProcess(context);
    auto *timer = new QTimer(p);
    timer->setSingleShot(true);
    auto report = std::make_shared<bool>(false);
    auto end = [p, report, finished](bool ok, const QString &why) {
        if (*report)
            return;
        *report = true;
        const QByteArray out = p->readAllStandardOutput();
        p->deleteLater();
        finished(ok, out, why);
    };
    QObject::connect(timer, &QTimer::timeout, p, [p, end, timeoutMs] {
        p->kill();
        end(false, QStringLiteral("no answer within %1 ms").arg(timeoutMs));
    });
    QObject::connect(p, &QProcess::errorOccurred, p, [p, end](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            end(false, p->errorString());
    });
    QObject::connect(p, &QProcess::finished, p, [p, end](int code, QProcess::ExitStatus status) {
        if (status == QProcess::NormalExit && code == 0)
            end(true, QString());
        else
            end(false, QString::fromLocal8Bit(p->readAllStandardError()).trimmed());
    });
    p->setStandardInputFile(QProcess::nullDevice());
    timer->start(timeoutMs);
    p->start(program, args);
}

} // namespace

QString DialUpLink::bringInterfaceDown(const QString &interface)
{
    const QByteArray name = interface.toLocal8Bit();
    if (name.isEmpty() || name.size() >= IFNAMSIZ)
        return QStringLiteral("invalid interface name");
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    ifreq req{};
    std::memcpy(req.ifr_name, name.constData(), size_t(name.size()));
    QString why;
    if (::ioctl(fd, SIOCGIFFLAGS, &req) != 0) {
        why = QString::fromLocal8Bit(std::strerror(errno));
    } else {
        req.ifr_flags = static_cast<short>(req.ifr_flags & ~IFF_UP);
        if (::ioctl(fd, SIOCSIFFLAGS, &req) != 0)
            why = QString::fromLocal8Bit(std::strerror(errno));
    }
    ::close(fd);
    return why;
}

void DialUpLink::hangUpInterface(const HangUpDone &done) const
{
    const QString iface = defaultRouteInterface(m_routeFile);
    if (iface.isEmpty()) {
        done(false, QStringLiteral("No dial-up connection to hang up: there is no default route."));
        return;
    }
    // PPP links (modems, PPPoE, Bluetooth dial-up) have the PPP hardware
    // type; mobile broadband modems are "wwan" devices.
    auto read = [this, &iface](const char *file) {
        QFile f(m_sysClassNet + QLatin1Char('/') + iface + QLatin1Char('/') + QLatin1String(file));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const bool ppp = read("type").trimmed() == "512";
    const bool wwan = read("uevent").contains("DEVTYPE=wwan");
    if (!ppp && !wwan) {
        done(false, QStringLiteral("No dial-up connection to hang up: the default route goes "
                                   "through %1, which is not a dial-up link.")
                        .arg(iface));
        return;
    }
    DebugLog(QStringLiteral("bringing %1 down").arg(iface));
    const QString why = bringInterfaceDown(iface);
    if (why.isEmpty())
        done(true, QString());
    else
        done(false, QStringLiteral("Cannot bring the dial-up link %1 down: %2.").arg(iface, why));
}

void DialUpLink::HangUpLastAsync(QObject *context, HangUpDone done) const
{
    DebugLog(QStringLiteral("dialup1.GetConnections;"));
    const DialUpLink self = *this;
    QPointer<QObject> guard(context);
    runAsync(context, m_nmcli,
             {QStringLiteral("-t"), QStringLiteral("-f"), QStringLiteral("UUID,TYPE"),
              QStringLiteral("connection"), QStringLiteral("show"), QStringLiteral("--active")},
             m_timeoutMs, [self, guard, done](bool ok, const QByteArray &out, const QString &why) {
                 if (!guard)
                     return;
                 const QStringList active = ok ? parseActive(out) : QStringList();
                 DebugLog(QStringLiteral("dialup1.HangUpConn(rnah);"));
                 if (active.isEmpty()) {
                     // No NetworkManager, or none of its connections is dial-up.
                     if (!ok)
                         DebugLog(QStringLiteral("nmcli: ") + why);
                     self.hangUpInterface(done);
                     return;
                 }
                 const QString id = active.last();
                 runAsync(guard.data(), self.m_nmcli,
                          {QStringLiteral("connection"), QStringLiteral("down"),
                           QStringLiteral("uuid"), id},
                          self.m_timeoutMs,
                          [guard, done, id](bool down, const QByteArray &, const QString &reason) {
                              if (!guard)
                                  return;
                              if (down)
                                  done(true, QString());
                              else
                                  done(false, QStringLiteral("NetworkManager could not hang up the "
                                                             "dial-up connection %1: %2")
                                                  .arg(id, reason));
                          });
             });
}

} // namespace wv
