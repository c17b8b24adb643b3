#pragma once

#include <QSortFilterProxyModel>

namespace wv {

// How a column of the connection table sorts.
enum class SortKind
{
    Numeric,    // "#", "Local Port", "Remote Port"
    Alphabetic, // "Remote Addr", "Protocol", "Status"
    None        // "Time", "Recognized"
};
SortKind sortKindOf(int column);

// The table's one sort direction for all columns. It starts ascending and
// flips after every header click, also after a click on a column that does
// not sort, so a click elsewhere in between changes the direction the next
// sort takes.
class ColumnSortFlag
{
public:
    struct Click
    {
        bool sorts = false; // whether the clicked column sorts at all
        int column = -1;
        Qt::SortOrder order = Qt::AscendingOrder;
    };

    Click click(int column);
    bool ascending() const { return m_ascending; }

private:
    bool m_ascending = true;
};

// The sorting (and filtering) view of the connection table. Numeric columns
// compare their raw integers, alphabetic ones their texts without regard to
// case; rows keep their records, so a row picked in the view maps back to
// the record it shows.
class ConnectionSortProxy : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit ConnectionSortProxy(QObject *parent = nullptr);

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;
};

} // namespace wv
