#include "refresh/RefreshCycle.h"

#include "refresh/ConnectionTableModel.h"
#include "refresh/DisplayTime.h"
#include "refresh/ListenPortsModel.h"
#include "settings/Settings.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <vector>

namespace wv {

struct RefreshCycle::Defaults
{
    HostNameProvider hosts;
    FriendlyNameProvider names;
    SummarySink summary;
    StatusTextSink status;
    RuleEvaluator rules;
    RefreshControls controls;
};

namespace {

const QString kListen = QStringLiteral("LISTEN");
const QString kUdp = QStringLiteral("UDP");
const QString kNoUdp = QStringLiteral("n");

// remote address*local port*remote port: the key line without the state.
QString peerKey(const QString &key)
{
    return key.left(key.lastIndexOf(QLatin1Char('*')));
}

// Counts a cycle as running for the lifetime of the object.
struct RunningScope
{
    explicit RunningScope(int &counter) : c(counter) { ++c; }
    ~RunningScope() { --c; }
    int &c;
};

// The summary events of one merge, handed on together even when the merge
// fails half-way.
struct EventBatch
{
    explicit EventBatch(SummarySink &sink) : s(sink) { s.beginEvents(); }
    ~EventBatch() { s.endEvents(); }
    SummarySink &s;
};

// Rows built during one merge are handed to the model in one batch at the
// end (also when the merge fails half-way).
class PendingRows
{
public:
    explicit PendingRows(ConnectionTableModel &table) : m_table(table) {}
    ~PendingRows() { flush(); } // a failure keeps the rows added so far
    void add(ConnectionRecord &&r) { m_rows.push_back(std::move(r)); }
    int nextNumber() const { return m_table.count() + static_cast<int>(m_rows.size()) + 1; }
    void flush() { m_table.appendRecords(std::move(m_rows)); }

private:
    ConnectionTableModel &m_table;
    std::vector<ConnectionRecord> m_rows;
};

// A merge that appends thousands of rows hands the window what it has every
// SliceMs and lets it process input, so that it never looks frozen: the rows
// and events so far go to the models in one block each.
class Breather
{
public:
    static constexpr int SliceMs = 40;
    Breather(RefreshControls &ui, SummarySink &summary) : m_ui(ui), m_summary(summary)
    {
        m_clock.start();
    }
    void maybe(PendingRows &rows)
    {
        if (m_clock.elapsed() < SliceMs)
            return;
        rows.flush();
        m_summary.endEvents();
        m_ui.keepResponsive();
        m_summary.beginEvents();
        m_clock.restart();
    }

private:
    RefreshControls &m_ui;
    SummarySink &m_summary;
    QElapsedTimer m_clock;
};

} // namespace

RefreshCycle::RefreshCycle(const Settings &settings, const Services &services,
                           ConnectionTableModel &table, ListenPortsModel &listenPorts)
    : m_settings(settings), m_services(services), m_table(table), m_listenGrid(listenPorts),
      m_defaults(std::make_unique<Defaults>())
{
    if (!m_services.hosts)
        m_services.hosts = &m_defaults->hosts;
    if (!m_services.names)
        m_services.names = &m_defaults->names;
    if (!m_services.summary)
        m_services.summary = &m_defaults->summary;
    if (!m_services.status)
        m_services.status = &m_defaults->status;
    if (!m_services.rules)
        m_services.rules = &m_defaults->rules;
    if (!m_services.controls)
        m_services.controls = &m_defaults->controls;
    Q_ASSERT(m_services.source);
}

RefreshCycle::~RefreshCycle() = default;

QStringList RefreshCycle::ConnectionKeys() const
{
    return m_table.ConnectionKeys();
}

QString RefreshCycle::lastRefreshText(const QTime &time)
{
    return QStringLiteral("Wirevane  -  Last refresh: ") + longTimeText(time);
}

void RefreshCycle::RefreshConnections()
{
    if (isRunning())
        return;
    RunningScope running(m_running);
    RefreshControls &ui = *m_services.controls;
    ui.setRefreshEnabled(false);
    ui.setBusyCursor(true);
    ui.setProgress(0);
    try {
        if (m_rebuildPending) {
            for (int i = 0; i < m_table.count(); ++i)
                m_rebuiltKeys.insert(m_table.record(i).key);
            m_table.clear();
            m_vanishedRows.clear();
            m_rebuildPending = false;
        }
        ui.setInfoEnabled(false);
        update();
        m_rebuiltKeys.clear();
        ui.setInfoEnabled(ui.hasSelectedRow());
        m_services.rules->EvaluateRules();
    } catch (...) {
        m_rebuiltKeys.clear();
        // Leave the window usable; the caller reports the failure.
        ui.setInfoEnabled(ui.hasSelectedRow());
        ui.setBusyCursor(false);
        ui.setRefreshEnabled(true);
        throw;
    }
    ui.setBusyCursor(false);
    ui.setRefreshEnabled(true);
    ui.setProgress(100);
}

void RefreshCycle::UpdateConnectionTable()
{
    if (isRunning())
        return;
    RunningScope running(m_running);
    update();
}

namespace {

QStringList keyLines(const QList<SnapshotRow> &rows)
{
    QStringList keys;
    keys.reserve(rows.size());
    for (const SnapshotRow &r : rows)
        keys.append(r.keyLine());
    return keys;
}

} // namespace

bool RefreshCycle::sameAsLastMerge(const QList<SnapshotRow> &rows) const
{
    // The merge of a snapshot into a table that already holds every row of
    // it, after a merge that found nothing gone, reports nothing and adds
    // nothing: the listening ports are those the last merge found.
    return m_settled.valid && !m_rebuildPending && m_rebuiltKeys.isEmpty() &&
           m_table.generation() == m_settled.tableGeneration && rows == m_settled.rows;
}

void RefreshCycle::update()
{
    RefreshControls &ui = *m_services.controls;
    ui.setRefresherEnabled(false);
    try {
        EventBatch batch(*m_services.summary);
        QElapsedTimer clock;
        clock.start();
        const QList<SnapshotRow> rows = m_services.source->takeSnapshot();
        // A busy server's snapshot takes a while; let the window breathe
        // before the comparison.
        if (clock.elapsed() >= Breather::SliceMs)
            ui.keepResponsive();
        if (sameAsLastMerge(rows)) {
            updateTraffic(rows, {});
        } else {
            m_settled.valid = false;
            m_listenPorts.clear();
            m_listenUdpMarks.clear();
            const QStringList keys = keyLines(rows);
            const qsizetype vanishedBefore = m_vanishedRows.size();
            reportVanished(rows, keys);
            updateTraffic(rows, keys);
            appendNew(rows, keys);
            if (m_vanishedRows.size() == vanishedBefore && !m_rebuildPending)
                m_settled = {rows, m_table.generation(), true};
        }
        fillListenGrid();
        sizeColumns();
        reportListenChanges();
    } catch (...) {
        m_settled.valid = false;
        ui.setRefresherEnabled(m_settings.autoRefresh);
        throw;
    }
    ui.setRefresherEnabled(m_settings.autoRefresh);
    const QString status = lastRefreshText(QTime::currentTime());
    m_services.status->SetStatusText(status);
    ui.setTrayHint(status);
    if (!m_vanishedRows.isEmpty())
        m_rebuildPending = true;
}

void RefreshCycle::reportVanished(const QList<SnapshotRow> &rows, const QStringList &keys)
{
    if (m_table.count() == 0)
        return;
    // First snapshot row per key line and per address and ports: the same
    // answers a scan upward from row 0 gives, without rescanning per row.
    QHash<QString, qsizetype> byKey;
    byKey.reserve(keys.size());
    // Walking down, the last write for a text is its first row.
    for (qsizetype j = keys.size() - 1; j >= 0; --j)
        byKey.insert(keys[j], j);
    // Only needed once a row has gone, which a steady refresh never finds.
    QHash<QString, qsizetype> byPeer;
    auto peers = [&]() -> const QHash<QString, qsizetype> & {
        if (byPeer.isEmpty() && !keys.isEmpty()) {
            byPeer.reserve(keys.size());
            for (qsizetype j = keys.size() - 1; j >= 0; --j)
                byPeer.insert(peerKey(keys[j]), j);
        }
        return byPeer;
    };
    SummarySink &summary = *m_services.summary;
    for (int i = m_table.count() - 1; i >= 0; --i) {
        const ConnectionRecord &r = m_table.record(i);
        // While a rebuild is pending (the view bar's direct call) every row
        // counts as gone.
        if (!m_rebuildPending && byKey.contains(r.key))
            continue;
        const auto peer = peers().constFind(peerKey(r.key));
        if (peer != byPeer.cend()) {
            summary.AddSummaryEvent(
                QStringLiteral("Connection to ") + r.hostCell + QStringLiteral(" on remote port ") +
                r.RemotePortText + QStringLiteral(" and local port ") + r.LocalPortText +
                QStringLiteral(" has changed state to ") + rows.at(*peer).stateName);
        } else {
            summary.AddSummaryEvent(QStringLiteral("Connection ") + r.hostCell +
                                    QStringLiteral(" on remote port ") + r.RemotePortText +
                                    QStringLiteral(" is no longer connected with a ") +
                                    r.stateName + QStringLiteral(" status to your system"));
        }
        m_vanishedRows.append(QString::number(i));
    }
}

void RefreshCycle::updateTraffic(const QList<SnapshotRow> &rows, const QStringList &keys)
{
    // Only snapshots that carry owners or byte counts have any to take.
    const bool any = std::any_of(rows.cbegin(), rows.cend(), [](const SnapshotRow &r) {
        return r.pid > 0 || r.bytesSent >= 0;
    });
    if (!any || m_table.count() == 0)
        return;
    const QStringList ownKeys = keys.isEmpty() ? keyLines(rows) : QStringList();
    const QStringList &lines = keys.isEmpty() ? ownKeys : keys;
    QHash<QString, qsizetype> byKey;
    byKey.reserve(lines.size());
    for (qsizetype j = lines.size() - 1; j >= 0; --j)
        byKey.insert(lines[j], j);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (int i = 0; i < m_table.count(); ++i) {
        const auto j = byKey.constFind(m_table.record(i).key);
        if (j != byKey.cend())
            m_table.setTraffic(i, rows.at(*j), now);
    }
}

void RefreshCycle::appendNew(const QList<SnapshotRow> &rows, const QStringList &keys)
{
    const bool resolve = m_settings.autoResolve;
    QSet<QString> shown;
    shown.reserve(m_table.count() + rows.size());
    for (int i = 0; i < m_table.count(); ++i)
        shown.insert(m_table.record(i).key);

    // Which snapshot rows become table rows, in the order they are appended;
    // listening rows go to the panel's lists on the way.
    std::vector<qsizetype> fresh;
    QStringList addresses;
    for (qsizetype j = rows.size() - 1; j >= 0; --j) {
        const SnapshotRow &s = rows.at(j);
        if (shown.contains(keys.at(j)))
            continue;
        if (s.stateName == kListen) {
            const QString port = QString::number(s.localPort);
            m_listenPorts.append(port);
            m_listenUdpMarks.append(s.protocol == kUdp ? port : kNoUdp);
            continue;
        }
        shown.insert(keys.at(j));
        fresh.push_back(j);
        if (resolve)
            addresses.append(s.remoteAddress);
    }

    // The names are asked for together before the rows are built, so the
    // rows below get them without waiting one by one.
    HostNameProvider &hosts = *m_services.hosts;
    struct NamesScope
    {
        HostNameProvider &h;
        ~NamesScope() { h.endNames(); }
    } names{hosts};
    if (resolve && !addresses.isEmpty())
        hosts.prepareNames(addresses);

    if (fresh.empty())
        return;
    struct RowsScope
    {
        FriendlyNameProvider &n;
        ~RowsScope() { n.endRows(); }
    } rowsScope{*m_services.names};
    m_services.names->beginRows();

    PendingRows pending(m_table);
    Breather breather(*m_services.controls, *m_services.summary);
    // Rows appended in one millisecond share their time, and in one second
    // their time text: converting the clock to local time for every row was
    // a good part of a big first refresh.
    qint64 stampMs = -1;
    qint64 stampSecond = -1;
    QDateTime stamp;
    QString stampText;
    for (const qsizetype j : fresh) {
        breather.maybe(pending);
        const SnapshotRow &s = rows.at(j);
        ConnectionRecord r;
        r.key = keys.at(j);
        r.number = pending.nextNumber();
        r.RemoteAddressText = s.remoteAddress;
        r.HostName = s.remoteAddress;
        r.LocalPortText = QString::number(s.localPort);
        r.RemotePortText = QString::number(s.remotePort);
        m_services.status->SetStatusText(QStringLiteral("Looking up [") + s.remoteAddress +
                                         QLatin1Char(']'));
        if (resolve) {
            r.hostCell = hosts.GetHostName(s.remoteAddress);
            // An address without a name is shown as itself: the row and its
            // events always name the peer.
            if (r.hostCell.isEmpty())
                r.hostCell = s.remoteAddress;
            r.HostName = r.hostCell;
        } else {
            r.hostCell = s.remoteAddress;
        }
        r.protocol = s.protocol;
        r.stateName = s.stateName;
        const qint64 ms = QDateTime::currentMSecsSinceEpoch();
        if (ms != stampMs) {
            stampMs = ms;
            stamp = QDateTime::fromMSecsSinceEpoch(ms);
            if (ms / 1000 != stampSecond) {
                stampSecond = ms / 1000;
                stampText = dateTimeText(stamp);
            }
        }
        r.appended = stamp;
        r.timeText = stampText;
        r.recognized = m_services.names->GetFriendlyName(r.HostName, r.RemoteAddressText);
        r.StateCode = static_cast<quint16>(s.state);
        r.family = s.family;
        r.pid = s.pid;
        r.program = s.program;
        r.bytesSent = s.bytesSent;
        r.bytesReceived = s.bytesReceived;
        r.trafficAtMs = stampMs;
        if (m_rebuiltKeys.contains(r.key)) {
            pending.add(std::move(r));
            continue;
        }
        const QString event = QStringLiteral("New Conn: ") + r.hostCell +
                              QStringLiteral(", remote port ") + r.RemotePortText +
                              QStringLiteral(", status ") + r.stateName;
        pending.add(std::move(r));
        m_services.summary->AddSummaryEvent(event);
    }
}

void RefreshCycle::fillListenGrid()
{
    m_listenGrid.setPorts(m_listenPorts, m_listenUdpMarks);
}

void RefreshCycle::sizeColumns()
{
    RefreshControls &ui = *m_services.controls;
    ui.fitColumn(ConnectionTableModel::ColProtocol);
    ui.fitColumn(ConnectionTableModel::ColStatus);
    if (m_settings.morecols)
        return;
    for (int c : {ConnectionTableModel::ColTime, ConnectionTableModel::ColRecognized}) {
        if (ui.columnWidth(c) != 0)
            ui.setColumnWidth(c, 0);
    }
}

void RefreshCycle::reportListenChanges()
{
    SummarySink &summary = *m_services.summary;
    const QSet<QString> previous(m_previousListenPorts.cbegin(), m_previousListenPorts.cend());
    const QSet<QString> current(m_listenPorts.cbegin(), m_listenPorts.cend());
    for (const QString &p : std::as_const(m_listenPorts)) {
        if (!previous.contains(p))
            summary.AddSummaryEvent(QStringLiteral("Port ") + p +
                                    QStringLiteral(" is now open and listening"));
    }
    for (const QString &p : std::as_const(m_previousListenPorts)) {
        if (!current.contains(p))
            summary.AddSummaryEvent(QStringLiteral("Port ") + p +
                                    QStringLiteral(" is no longer open/listening"));
    }
    m_previousListenPorts = m_listenPorts;
}

} // namespace wv
