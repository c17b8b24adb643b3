#pragma once

#include <QAbstractTableModel>
#include <QDateTime>
#include <QString>

#include <deque>
#include <vector>

namespace wv {

// The session summary: one time-stamped line per change the refresh cycle
// notices, "Time" and "Event".
//
// Lines added between beginBatch() and endBatch() reach the views in one
// insertion, so a refresh that reports 20,000 changes costs the views one
// update, not 20,000. Only the most recent maxEvents() lines are kept: a
// monitor left running for weeks would otherwise grow without limit. The
// oldest lines beyond that are dropped, and the first line then says how many
// went.
class SummaryLog : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int SortRole = Qt::UserRole + 1;
    static constexpr int DefaultMaxEvents = 100000;
    enum Column
    {
        TimeColumn,
        EventColumn,
        ColumnCount
    };

    explicit SummaryLog(QObject *parent = nullptr);

    // Appends a line stamped with the current date and time while collecting;
    // does nothing otherwise.
    void AddSummaryEvent(const QString &text);
    void setCollecting(bool on) { m_collecting = on; }
    bool isCollecting() const { return m_collecting; }

    // Batches nest; the outermost endBatch() hands the lines to the views.
    void beginBatch();
    void endBatch();

    // At least 1; lowering it drops the excess at once.
    void setMaxEvents(int max);
    int maxEvents() const { return m_maxEvents; }
    // Events dropped so far to stay within maxEvents().
    qint64 droppedCount() const { return m_dropped; }
    // The first line's text once lines have been dropped.
    static QString droppedText(qint64 count, int max);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The "Time" text: the locale's short date and long time.
    static QString timeText(const QDateTime &when);

private:
    struct Line
    {
        QDateTime when;
        QString time; // shared between the lines of one second
        QString event;
    };
    const Line &lineAt(int row) const;
    void commit();
    void trim();
    int notices() const { return m_dropped > 0 ? 1 : 0; }

    std::deque<Line> m_lines;
    std::vector<Line> m_pending;
    int m_batch = 0;
    int m_maxEvents = DefaultMaxEvents;
    qint64 m_dropped = 0;
    Line m_notice;
    bool m_collecting = true;
    qint64 m_stampMs = -1;
    qint64 m_stampSecond = -1;
    QDateTime m_stamp;
    QString m_stampText;
};

} // namespace wv
