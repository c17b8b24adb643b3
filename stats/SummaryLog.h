#pragma once

#include <QAbstractTableModel>
#include <QDateTime>
#include <QString>
#include <QVector>

namespace wv {

// The session summary: one time-stamped line per change the refresh cycle
// notices, "Time" and "Event". Lines are only ever appended.
class SummaryLog : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int SortRole = Qt::UserRole + 1;
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
        QString time;
        QString event;
    };
    QVector<Line> m_lines;
    bool m_collecting = true;
};

} // namespace wv
