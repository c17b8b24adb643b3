#pragma once

#include "settings/programs/ProgramsList.h"

#include <QAbstractTableModel>

namespace wv {

// The options page's program list: columns "#" (running number from 0),
// "Name" and "EXE". It shows the file as of the last RefreshPrograms(); the
// page calls it when it opens and after every add, edit, delete or clear.
// RawRole gives the number as an int and the texts as they are.
class ProgramsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int RawRole = Qt::UserRole + 1;
    enum Column
    {
        NumberColumn,
        NameColumn,
        ExeColumn,
        ColumnCount
    };

    explicit ProgramsModel(ProgramsList &programs, QObject *parent = nullptr);

    void RefreshPrograms();
    // The entry of a row (empty for a row out of range).
    ProgramEntry entry(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    ProgramsList &m_programs;
    QVector<ProgramEntry> m_rows;
};

} // namespace wv
