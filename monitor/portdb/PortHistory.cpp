#include "monitor/portdb/PortHistory.h"

#include "settings/RegistryStore.h"

#include <QUrl>
#include <QUrlQuery>

namespace wv {

const QString PortHistory::kKeyPath = QStringLiteral("WVN_formstuff\\PortInfo");

PortHistory::PortHistory(RegistryStore &registry) : m_registry(registry) {}

QStringList PortHistory::load() const
{
    QStringList items;
    for (int i = 1; i <= kMaxItems; ++i) {
        const QString value = m_registry.readString(kKeyPath, QStringLiteral("Item%1").arg(i));
        if (value.isEmpty())
            break;
        items << value;
    }
    return items;
}

QStringList PortHistory::add(const QString &value)
{
    QStringList items = load();
    items.removeAll(value);
    items.prepend(value);
    while (items.size() > kMaxItems)
        items.removeLast();
    for (int i = 0; i < items.size(); ++i)
        m_registry.writeString(kKeyPath, QStringLiteral("Item%1").arg(i + 1), items.at(i));
    return items;
}

namespace PortSuggestion {

const QString kKeyPath = QStringLiteral("WVN3PRO\\PortInfo");
const QString kValueName = QStringLiteral("SuggestAddress");
const QString kDefaultAddress = QStringLiteral("portdb@wirevane.org");

QString address(const RegistryStore &registry)
{
    const QString value = registry.readString(kKeyPath, kValueName).trimmed();
    return value.isEmpty() ? kDefaultAddress : value;
}

QString mailtoUrl(const QString &address, const QString &port)
{
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(address);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"),
                       QStringLiteral("[WVN] PortInfo Suggestion for port ") + port);
    url.setQuery(query);
    return url.toString(QUrl::FullyEncoded);
}

} // namespace PortSuggestion

} // namespace wv
