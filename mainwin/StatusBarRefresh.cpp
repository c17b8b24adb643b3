#include "mainwin/StatusBarRefresh.h"

#include "mainwin/OwnAddress.h"

#include <QHostInfo>

namespace wv {

StatusBarRefresh::StatusBarRefresh(const PanelFlags &flags,
                                   std::unique_ptr<EchoCounterSource> counters, QObject *parent,
                                   OwnAddressResolver *resolver, std::function<QString()> hostName)
    : QObject(parent), m_flags(flags), m_source(std::move(counters)),
      m_resolver(resolver ? resolver : new OwnAddressResolver(this)),
      m_hostName(hostName ? std::move(hostName) : &QHostInfo::localHostName),
      m_texts{QStringLiteral("IP:"), QStringLiteral("Hostname:"), QStringLiteral("Pings")}
{
    // The answer of a look-up started by a tick shows at once rather than a
    // second later.
    connect(m_resolver, &OwnAddressResolver::addressChanged, this, [this](const QString &a) {
        setText(1, a);
        Q_EMIT layoutNeeded();
    });
    statbarTimer.setInterval(IntervalMs);
    connect(&statbarTimer, &QTimer::timeout, this, &StatusBarRefresh::statbarTimerTimer);
    statbarTimer.start();
}

StatusBarRefresh::~StatusBarRefresh() = default;

void StatusBarRefresh::setText(int panel, const QString &text)
{
    m_texts[panel - 1] = text;
    Q_EMIT panelTextChanged(panel, text);
}

std::unique_ptr<EchoCounterSource>
StatusBarRefresh::setCounterSource(std::unique_ptr<EchoCounterSource> source)
{
    std::swap(m_source, source);
    return source;
}

void StatusBarRefresh::statbarTimerTimer()
{
    setText(1, m_resolver->address());
    m_resolver->refresh();
    if (m_flags.hostname)
        setText(2, m_hostName());
    const std::optional<EchoCounters> counters = m_source ? m_source->read() : std::nullopt;
    if (counters && counters->known)
        m_counters = *counters;
    if (m_flags.ping && counters) {
        QString text = counters->known ? QStringLiteral("In: %1 / Out: %2")
                                             .arg(counters->inEchos)
                                             .arg(counters->inEchoReps)
                                       : QStringLiteral("In: - / Out: -");
        if (counters->known && !counters->current)
            text += QStringLiteral(" (not current)");
        setText(3, text);
    }
    Q_EMIT layoutNeeded();
}

} // namespace wv
