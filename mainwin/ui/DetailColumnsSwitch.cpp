#include "mainwin/ui/DetailColumnsSwitch.h"

#include "mainwin/ui/ConnectionPane.h"
#include "refresh/ConnectionTableModel.h"
#include "refresh/SnapshotSource.h"
#include "settings/RegistryStore.h"

#include <QAction>
#include <QHeaderView>
#include <QTableView>

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
    QHeaderView *header = m_pane.lv->horizontalHeader();
    for (int c = ConnectionTableModel::ColProcess; c < ConnectionTableModel::AllColumnCount; ++c)
        m_pane.lv->setColumnWidth(c, std::max(header->sectionSizeHint(c), 70));
}

} // namespace wv
