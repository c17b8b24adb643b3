#pragma once

#include "settings/IniFile.h"

#include <QString>
#include <QStringList>

namespace wv {

// The user's registry: one ini-form file, one section per key path
// ("[WVN3PRO\Settings]"), values are strings as the registry holds them.
class RegistryStore
{
public:
    // Defaults to registry.ini in the per-user folder.
    RegistryStore();
    explicit RegistryStore(const QString &filePath);

    QString readString(const QString &keyPath, const QString &name,
                       const QString &defaultValue = QString()) const;
    bool writeString(const QString &keyPath, const QString &name, const QString &value);
    bool valueExists(const QString &keyPath, const QString &name) const;
    bool keyExists(const QString &keyPath) const;
    QStringList valueNames(const QString &keyPath) const;
    bool deleteValue(const QString &keyPath, const QString &name);
    bool deleteKey(const QString &keyPath);

    IniFile &file() { return m_file; }

private:
    IniFile m_file;
};

} // namespace wv
