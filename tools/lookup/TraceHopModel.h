#pragma once

#include <QAbstractTableModel>
#include <QList>

namespace wv {

// The trace list: one row per hop with the columns "#", "Host", "IP" and
// "Time". A row is added with its number first and filled once the hop's
// name is known.
class TraceHopModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        NumberColumn,
        HostColumn,
        IpColumn,
        TimeColumn,
        ColumnCount
    };
    static constexpr int RawRole = Qt::UserRole;

    struct Hop
    {
        int number = 0;
        QString host;
        QString ip;
        quint32 time = 0;
        bool filled = false;
    };

    explicit TraceHopModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int addHop(int number);
    void fillHop(int row, const QString &host, const QString &ip, quint32 time);
    void clear();
    const Hop &hop(int row) const { return m_hops.at(row); }
    const QList<Hop> &hops() const { return m_hops; }

private:
    QList<Hop> m_hops;
};

} // namespace wv
