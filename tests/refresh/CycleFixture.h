#pragma once

#include "refresh/ConnectionTableModel.h"
#include "refresh/ListenPortsModel.h"
#include "refresh/RefreshCycle.h"
#include "settings/Settings.h"

#include <QAbstractItemModelTester>
#include <QMap>

#include <functional>

namespace wv::test {

// Records what the cycle does to the window's controls.
class FakeControls : public RefreshControls
{
public:
    void setRefreshEnabled(bool on) override { refreshEnabled = on; }
    void setInfoEnabled(bool on) override { infoEnabled = on; }
    bool hasSelectedRow() const override { return selected; }
    void setBusyCursor(bool busy) override { this->busy = busy; }
    void setProgress(int percent) override { progress = percent; }
    void setRefresherEnabled(bool on) override
    {
        refresher = on;
        refresherLog.append(on);
    }
    int columnWidth(int column) const override { return widths.value(column, 50); }
    void setColumnWidth(int column, int width) override { widths[column] = width; }
    void fitColumn(int column) override { fitted.append(column); }
    void setTrayHint(const QString &text) override { trayHint = text; }

    bool refreshEnabled = true;
    bool infoEnabled = false;
    bool selected = false;
    bool busy = false;
    int progress = -1;
    bool refresher = false;
    QList<bool> refresherLog;
    QMap<int, int> widths;
    QList<int> fitted;
    QString trayHint;
};

class RecordingStatus : public StatusTextSink
{
public:
    void SetStatusText(const QString &text) override
    {
        StatusTextSink::SetStatusText(text);
        texts.append(text);
    }
    QStringList texts;
};

// Host names from a function, counting the look-ups.
class FakeHosts : public HostNameProvider
{
public:
    QString GetHostName(const QString &address) override
    {
        ++lookups;
        return lookup ? lookup(address) : QStringLiteral("host-") + address;
    }
    std::function<QString(const QString &)> lookup;
    int lookups = 0;
};

class CountingRules : public RuleEvaluator
{
public:
    void EvaluateRules() override { ++passes; }
    int passes = 0;
};

// A cycle over a scripted source with recording services, its models under
// the model tester.
struct CycleFixture
{
    // names: where host names come from; by default the counting fake.
    explicit CycleFixture(bool autoResolve = false, HostNameProvider *names = nullptr)
    {
        settings.autoResolve = autoResolve;
        RefreshCycle::Services s;
        s.source = &source;
        s.hosts = names ? names : &hosts;
        s.summary = &summary;
        s.status = &status;
        s.controls = &controls;
        s.rules = &rules;
        cycle = std::make_unique<RefreshCycle>(settings, s, table, listen);
    }
    // Runs one refresh over the given snapshot and returns its events.
    QStringList refresh(const QList<SnapshotRow> &rows)
    {
        source.push(rows);
        summary.clear();
        cycle->RefreshConnections();
        return summary.texts();
    }
    QStringList hostCells() const
    {
        QStringList out;
        for (int i = 0; i < table.count(); ++i)
            out.append(table.record(i).hostCell);
        return out;
    }

    Settings settings;
    ScriptedSource source;
    FakeHosts hosts;
    SummarySink summary;
    RecordingStatus status;
    FakeControls controls;
    CountingRules rules;
    ConnectionTableModel table;
    ListenPortsModel listen;
    QAbstractItemModelTester tableTester{&table,
                                         QAbstractItemModelTester::FailureReportingMode::Fatal};
    QAbstractItemModelTester listenTester{&listen,
                                          QAbstractItemModelTester::FailureReportingMode::Fatal};
    std::unique_ptr<RefreshCycle> cycle;
};

inline SnapshotRow tcp(const char *remote, int localPort, int remotePort, int state,
                       const char *local = "192.168.1.2")
{
    return SnapshotRow::tcp(QString::fromLatin1(local), localPort, QString::fromLatin1(remote),
                            remotePort, state);
}

inline SnapshotRow udp(int port, const char *local = "0.0.0.0")
{
    return SnapshotRow::udp(QString::fromLatin1(local), port);
}

enum State
{
    Closed = 1,
    Listen,
    SynSent,
    SynReceived,
    Established,
    FinWait1,
    FinWait2,
    CloseWait,
    LastAck,
    Closing,
    TimeWait
};

} // namespace wv::test
