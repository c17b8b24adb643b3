#pragma once

#include "monitor/FriendlyNames.h"

#include <QAbstractTableModel>
#include <QVector>

namespace wv {

class UserPrompt;

// The options page's "Recognized" list: "#", "Hostname mask", "IP mask",
// "Friendly name", filled from the recognized-names file.
class RecognizedNamesModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int SortRole = Qt::UserRole + 1;
    enum Column
    {
        NumberColumn,
        HostColumn,
        AddressColumn,
        NameColumn,
        ColumnCount
    };

    explicit RecognizedNamesModel(FriendlyNames &names, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Refills the list from the file.
    void RefreshRecognized();
    // Deletes the entry of one row from the file and the list.
    bool Delete(int row);
    // Asks "Are you sure ..." and on OK empties the file and the list.
    bool ClearAll(UserPrompt &prompt);

    const FriendlyNames::Entry &entry(int row) const { return m_rows.at(row).entry; }

private:
    struct Row
    {
        int number; // position in the file when the list was filled
        FriendlyNames::Entry entry;
    };
    FriendlyNames &m_names;
    QVector<Row> m_rows;
};

} // namespace wv
