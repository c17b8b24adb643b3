#pragma once

#include "refresh/ConnectionRecord.h"
#include "refresh/SnapshotSource.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

namespace wv {

// The connection table: one ConnectionRecord per row, in the order rows were
// appended. Views sort through a proxy on RawRole.
class ConnectionTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        ColNumber,
        ColRemoteAddr,
        ColLocalPort,
        ColRemotePort,
        ColProtocol,
        ColStatus,
        ColTime,
        ColRecognized,
        ColumnCount, // the eight columns every table has
        // The owner and traffic columns, there only while switched on.
        ColProcess = ColumnCount,
        ColSent,
        ColReceived,
        ColRate,
        AllColumnCount
    };
    enum Role
    {
        RawRole = Qt::UserRole + 1, // typed value for sorting
        MarkRole,                   // row image index, -1 for none
    };

    explicit ConnectionTableModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    static QString columnCaption(int column);

    int count() const { return static_cast<int>(m_rows.size()); }
    const ConnectionRecord &record(int row) const { return m_rows.at(static_cast<size_t>(row)); }

    // Appends rows in one batch.
    void appendRecords(std::vector<ConnectionRecord> &&records);
    // Removes every row.
    void clear();
    // Changes whenever rows are added or removed: equal values mean the same
    // rows with the same keys.
    quint64 generation() const { return m_generation; }
    // Sets or clears a row's image and the number of the rule that set it.
    void setMark(int row, int image, int rule = -1);

    // The key lines in row order.
    QStringList ConnectionKeys() const;

    // Whether the table has the "Process", "Sent", "Received" and "Rate"
    // columns after its eight (off at first).
    void setDetailColumns(bool on);
    bool detailColumns() const { return m_detailColumns; }
    // Takes the owner and byte counts of a row's connection from a snapshot.
    void setTraffic(int row, const SnapshotRow &snapshot, qint64 nowMs);

private:
    std::vector<ConnectionRecord> m_rows;
    quint64 m_generation = 0;
    bool m_detailColumns = false;
};

} // namespace wv
