#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QVector>

#include <functional>

namespace wv {

class DnsCache;

// The grid of the cache editor: "#", "IP", "Assigned hostname", one row per
// cache entry, numbered from 1. The user edits the address and host-name
// cells; saving writes every row whose two cells are both filled.
class CacheEditorModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int SortRole = Qt::UserRole + 1;
    enum Column
    {
        NumberColumn,
        AddressColumn,
        HostColumn,
        ColumnCount
    };
    // Called with a percentage while loading or saving.
    using Progress = std::function<void(int percent)>;

    explicit CacheEditorModel(DnsCache &cache, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Fills the grid from the cache; an empty cache shows five empty rows.
    void load(const Progress &progress = {});
    // Writes the grid back as the whole cache (the "created" stamp stays) and
    // reloads. Returns false when the file could not be written.
    bool save(const Progress &progress = {});
    // Blanks the address and host name of a row; saving then drops it.
    void deleteEntry(int row);
    // Appends five empty rows numbered after the last; returns the first.
    int addFiveEntries();

    int entryCount() const { return m_entryCount; }
    QString created() const { return m_created; }

private:
    struct Row
    {
        int number = 0;
        QString address;
        QString host;
    };
    DnsCache &m_cache;
    QVector<Row> m_rows;
    int m_entryCount = 0;
    QString m_created;
};

} // namespace wv
