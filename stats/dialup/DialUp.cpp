#include "stats/dialup/DialUp.h"

#include "settings/DebugTrace.h"

#include <QProcess>

namespace wv {

const QStringList DialUpLink::DialUpTypes = {QStringLiteral("gsm"), QStringLiteral("cdma"),
                                             QStringLiteral("pppoe"), QStringLiteral("bluetooth")};

DialUpLink::DialUpLink(const QString &nmcli, int timeoutMs) : m_nmcli(nmcli), m_timeoutMs(timeoutMs)
{
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

} // namespace wv
