#pragma once

#include <QString>
#include <QStringList>

namespace wv {

class RegistryStore;

// The port box's drop-down history: the last eight values entered, newest
// first, kept under "WVN_formstuff\PortInfo" as Item1, Item2, ...
class PortHistory
{
public:
    static constexpr int kMaxItems = 8;
    static const QString kKeyPath;

    explicit PortHistory(RegistryStore &registry);

    // Reads Item1, Item2, ... stopping at the first missing or empty value.
    QStringList load() const;
    // Puts value first (removing an equal older entry), keeps eight and
    // writes the list back. Returns the new list.
    QStringList add(const QString &value);

private:
    RegistryStore &m_registry;
};

// The Suggest button's mail address, a value of the registry store.
namespace PortSuggestion {
extern const QString kKeyPath;
extern const QString kValueName;
extern const QString kDefaultAddress;
QString address(const RegistryStore &registry);
// mailto: link with the subject "[WVN] PortInfo Suggestion for port N".
QString mailtoUrl(const QString &address, const QString &port);
} // namespace PortSuggestion

} // namespace wv
