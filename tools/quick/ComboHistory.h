#pragma once

#include <QString>
#include <QStringList>

namespace wv {

class RegistryStore;

// The drop-down history of a tool window's address box: the last eight
// entries, newest first, kept in the registry store under a key path such as
// "WVN_formstuff\QuickDNS" as Item1, Item2, ...
class ComboHistory
{
public:
    static constexpr int kMaxItems = 8;

    ComboHistory(RegistryStore &registry, const QString &keyPath);

    // Reads Item1, Item2, ... stopping at the first missing or empty value.
    QStringList load() const;
    // Puts value first (dropping an equal older entry), keeps eight and
    // writes the list back. An empty value changes nothing. Returns the list.
    QStringList add(const QString &value);

private:
    RegistryStore &m_registry;
    QString m_keyPath;
};

} // namespace wv
