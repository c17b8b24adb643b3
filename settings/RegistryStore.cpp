#include "settings/RegistryStore.h"

#include "settings/Paths.h"

namespace wv {

RegistryStore::RegistryStore() : m_file(Paths::userFile(QStringLiteral("registry.ini"))) {}

RegistryStore::RegistryStore(const QString &filePath) : m_file(filePath) {}

QString RegistryStore::readString(const QString &keyPath, const QString &name,
                                  const QString &defaultValue) const
{
    return m_file.readString(keyPath, name, defaultValue);
}

bool RegistryStore::writeString(const QString &keyPath, const QString &name, const QString &value)
{
    return m_file.writeString(keyPath, name, value);
}

bool RegistryStore::valueExists(const QString &keyPath, const QString &name) const
{
    return m_file.valueExists(keyPath, name);
}

bool RegistryStore::keyExists(const QString &keyPath) const
{
    return m_file.sectionExists(keyPath);
}

QStringList RegistryStore::valueNames(const QString &keyPath) const
{
    return m_file.readSection(keyPath);
}

bool RegistryStore::deleteValue(const QString &keyPath, const QString &name)
{
    return m_file.deleteKey(keyPath, name);
}

bool RegistryStore::deleteKey(const QString &keyPath)
{
    return m_file.eraseSection(keyPath);
}

} // namespace wv
