#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

namespace wv {

// A read-only list of text rows under fixed column captions: the lists of the
// advanced statistics window and of its command-line twin.
class StatsListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit StatsListModel(QStringList headers, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Replaces every row in one reset; short rows are padded with empty cells.
    void setRows(QList<QStringList> rows);
    void clear() { setRows({}); }
    const QList<QStringList> &rows() const { return m_rows; }
    const QStringList &headers() const { return m_headers; }
    // One cell's text (empty outside the list).
    QString cell(int row, int column) const;

private:
    QStringList m_headers;
    QList<QStringList> m_rows;
};

} // namespace wv
