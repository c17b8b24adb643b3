#include "stats/viewbar/ModelViewBarTable.h"

#include <QAbstractItemModel>

namespace wv {

int ModelViewBarTable::rowCount() const
{
    return m_model.rowCount();
}

QStringList ModelViewBarTable::row(int index) const
{
    QStringList cells;
    for (int c = 0; c < 8; ++c)
        cells.append(c < m_model.columnCount() ? m_model.index(index, c).data().toString()
                                               : QString());
    return cells;
}

} // namespace wv
