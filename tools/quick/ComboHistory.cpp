#include "tools/quick/ComboHistory.h"

#include "settings/RegistryStore.h"

namespace wv {

ComboHistory::ComboHistory(RegistryStore &registry, const QString &keyPath)
    : m_registry(registry), m_keyPath(keyPath)
{
}

QStringList ComboHistory::load() const
{
    QStringList items;
    for (int i = 1; i <= kMaxItems; ++i) {
        const QString value = m_registry.readString(m_keyPath, QStringLiteral("Item%1").arg(i));
        if (value.isEmpty())
            break;
        items << value;
    }
    return items;
}

QStringList ComboHistory::add(const QString &value)
{
    QStringList items = load();
    if (value.isEmpty())
        return items;
    items.removeAll(value);
    items.prepend(value);
    while (items.size() > kMaxItems)
        items.removeLast();
    for (int i = 0; i < items.size(); ++i)
        m_registry.writeString(m_keyPath, QStringLiteral("Item%1").arg(i + 1), items.at(i));
    return items;
}

} // namespace wv
