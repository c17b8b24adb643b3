#pragma once

#include "mainwin/EchoCounters.h"
#include "mainwin/PanelFlags.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

namespace wv {

class OwnAddressResolver;

// The status bar's once-a-second refresh (`statbarTimer`, running from
// construction): panel 1 gets the computer's own address, panel 2 its host
// name while `hostname` is on, panel 3 "In: n / Out: m" from the ICMP echo
// counters while `ping` is on; then the status bar is laid out again. A panel
// whose flag is off keeps its previous text, but the counters are read on
// every tick all the same.
//
//   auto *sb = new StatusBarRefresh(m_panelFlags, std::make_unique<ProcSnmpEchoCounters>(), this);
//   connect(sb, &StatusBarRefresh::panelTextChanged, this, &TfrmMain::setPanelText);
//   connect(sb, &StatusBarRefresh::layoutNeeded, this, &TfrmMain::layoutStatusBar);
class StatusBarRefresh : public QObject
{
    Q_OBJECT
public:
    static constexpr int IntervalMs = 1000;

    // `flags` is read at every tick and must outlive this object. Without a
    // resolver the system's host name is resolved in the background.
    StatusBarRefresh(const PanelFlags &flags, std::unique_ptr<EchoCounterSource> counters,
                     QObject *parent = nullptr, OwnAddressResolver *resolver = nullptr,
                     std::function<QString()> hostName = {});
    ~StatusBarRefresh() override;

    // The current texts of panels 1, 2 and 3 (initially "IP:", "Hostname:"
    // and "Pings"), as the layout routine needs them.
    const std::array<QString, 3> &texts() const { return m_texts; }
    // The counters of the last successful read.
    EchoCounters lastCounters() const { return m_counters; }
    QTimer &timer() { return statbarTimer; }
    // Reads the counters from source from the next tick on (another host's,
    // or this machine's again); returns the source read until now.
    std::unique_ptr<EchoCounterSource> setCounterSource(std::unique_ptr<EchoCounterSource> source);

public Q_SLOTS:
    void statbarTimerTimer();

Q_SIGNALS:
    void panelTextChanged(int panel, const QString &text);
    void layoutNeeded();

private:
    void setText(int panel, const QString &text);

    const PanelFlags &m_flags;
    std::unique_ptr<EchoCounterSource> m_source;
    OwnAddressResolver *m_resolver;
    std::function<QString()> m_hostName;
    std::array<QString, 3> m_texts;
    EchoCounters m_counters;
    QTimer statbarTimer;
};

} // namespace wv
