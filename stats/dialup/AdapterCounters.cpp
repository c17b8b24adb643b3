#include "stats/dialup/AdapterCounters.h"

#include "stats/dialup/DefaultRoute.h"

#include <QFile>

namespace wv {

namespace {

std::optional<quint64> parseCounter(const QByteArray &text)
{
    bool ok = false;
    const quint64 value = text.trimmed().toULongLong(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

// Files of /proc and /sys are made anew by every read from their start, so
// they are kept open and read again (ten times a second) rather than opened
// each time; other files (a test's copies) are opened at every read, so that
// one replaced meanwhile is seen.
bool regenerated(const QString &path)
{
    return path.startsWith(QLatin1String("/proc/")) || path.startsWith(QLatin1String("/sys/"));
}

} // namespace

std::optional<QByteArray> SysfsAdapterCounters::readFile(const QString &path, qint64 max)
{
    if (!regenerated(path)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return max > 0 ? file.read(max) : file.readAll();
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto it = m_open.find(path);
        if (it == m_open.end()) {
            // Interfaces come and go; the files of gone ones are not kept.
            if (m_open.size() >= 8)
                m_open.clear();
            auto file = std::make_shared<QFile>(path);
            if (!file->open(QIODevice::ReadOnly | QIODevice::Unbuffered))
                return std::nullopt;
            it = m_open.insert(path, file);
        }
        QFile &file = **it;
        if (file.seek(0)) {
            const QByteArray bytes = max > 0 ? file.read(max) : file.readAll();
            if (file.error() == QFileDevice::NoError)
                return bytes;
        }
        // The file went away (its interface was removed): open it again.
        m_open.erase(it);
    }
    return std::nullopt;
}

SysfsAdapterCounters::SysfsAdapterCounters(QString interfaceName, QString sysClassNet,
                                           QString routeFile)
    : m_named(std::move(interfaceName)), m_sysClassNet(std::move(sysClassNet)),
      m_routeFile(std::move(routeFile))
{
}

bool SysfsAdapterCounters::isValidInterfaceName(const QString &name)
{
    // The kernel limits names to 15 bytes and forbids '/' and white space;
    // "." and ".." would climb out of the folder.
    if (name.isEmpty() || name.size() > 15 || name == QLatin1String(".") ||
        name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c.isSpace() || c.unicode() < 0x20)
            return false;
    }
    return true;
}

std::optional<AdapterTotals> SysfsAdapterCounters::read()
{
    if (m_named.isEmpty()) {
        const auto table = readFile(m_routeFile, 0);
        m_current = table ? parseDefaultRouteInterface(*table) : QString();
    } else {
        m_current = m_named;
    }
    if (!isValidInterfaceName(m_current)) {
        m_current.clear();
        return std::nullopt;
    }
    const QString base =
        m_sysClassNet + QLatin1Char('/') + m_current + QStringLiteral("/statistics/");
    const auto txText = readFile(base + QStringLiteral("tx_bytes"), 32);
    const auto rxText = readFile(base + QStringLiteral("rx_bytes"), 32);
    if (!txText || !rxText)
        return std::nullopt;
    const auto tx = parseCounter(*txText);
    const auto rx = parseCounter(*rxText);
    if (!tx || !rx)
        return std::nullopt;
    return AdapterTotals{*tx, *rx};
}

} // namespace wv
