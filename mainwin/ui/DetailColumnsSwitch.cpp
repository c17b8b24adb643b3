#include "mainwin/ui/DetailColumnsSwitch.h"

#include "mainwin/ui/ConnectionPane.h"
#include "refresh/ConnectionTableModel.h"
#include "refresh/SnapshotSource.h"
#include "settings/RegistryStore.h"

#include <QAction>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>

namespace wv {

const QString DetailColumnsSwitch::KeyPath = QStringLiteral("WVN3PRO\\Columns");
const QString DetailColumnsSwitch::ValueName = QStringLiteral("ProcessTraffic");

DetailColumnsSwitch::DetailColumnsSwitch(QAction *item, ConnectionTableModel &table,
                                         ConnectionPane &pane, SnapshotSource &source,
                                         RegistryStore &registry, QObject *parent)
    : QObject(parent), m_item(item), m_table(table), m_pane(pane), m_source(source),
      m_registry(registry)
{
    // Anything but "1" reads as off, as the other switches of the registry.
    m_on = m_registry.readString(KeyPath, ValueName) == QLatin1String("1");
    m_item->setCheckable(true);
    connect(m_item, &QAction::triggered, this, [this](bool checked) { setOn(checked); });
    // The first rows after the columns appear size them to what they hold;
    // later the user's widths stay.
    connect(&m_table, &QAbstractItemModel::rowsInserted, this, [this] {
        if (!m_fitPending || !m_on)
            return;
        m_fitPending = false;
        for (int c = ConnectionTableModel::ColProcess; c < ConnectionTableModel::AllColumnCount;
             ++c) {
            const int least = m_pane.lv->columnWidth(c);
            m_pane.lv->resizeColumnToContents(c);
            // Counts grow: keep room for the larger ones to come.
            m_pane.lv->setColumnWidth(c, std::max(least, m_pane.lv->columnWidth(c) + 16));
        }
    });
    apply();
}

void DetailColumnsSwitch::setOn(bool on)
{
    m_on = on;
    m_registry.writeString(KeyPath, ValueName, on ? QStringLiteral("1") : QStringLiteral("0"));
    apply();
}

void DetailColumnsSwitch::apply()
{
    m_item->setChecked(m_on);
    m_source.setDetails(m_on);
    m_table.setDetailColumns(m_on);
    if (!m_on)
        return;
    static const int widths[] = {120, 80, 80, 100};
    QHeaderView *header = m_pane.lv->horizontalHeader();
    for (int c = ConnectionTableModel::ColProcess; c < ConnectionTableModel::AllColumnCount; ++c)
        m_pane.lv->setColumnWidth(
            c, std::max(header->sectionSizeHint(c), widths[c - ConnectionTableModel::ColProcess]));
    m_fitPending = true;
}

} // namespace wv
