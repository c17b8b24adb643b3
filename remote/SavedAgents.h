#pragma once

#include "remote/RemoteAgent.h"
#include "settings/SecretStore.h"

#include <QList>

namespace wv {

class RegistryStore;

// The agents the host chooser offers, kept in registry.ini under
// [WVN3PRO\Agents] (one value per agent, in the chooser's order). The
// community and the v3 pass phrases are secrets: they go to the secret store
// ("snmp-secrets" where no secret service runs), never into registry.ini.
namespace SavedAgents {

inline constexpr const char *KeyPath = "WVN3PRO\\Agents";

// The agents without their secrets.
QList<RemoteAgent> load(const RegistryStore &registry);
bool save(RegistryStore &registry, const QList<RemoteAgent> &agents);

SecretStore::Place secretPlace();
// Fills in the community and pass phrases (blocking, at most a few seconds
// for the secret service); false with error set when one cannot be read.
bool readSecrets(RemoteAgent &agent, QString *error = nullptr);
// Stores the agent's secrets (or removes them, for empty ones).
bool writeSecrets(const RemoteAgent &agent, QString *error = nullptr);

// Puts agent (with its secrets) at index of agents, or appends it when index
// is -1, and saves the list: the secrets go first, the list after; those of
// the entry replaced are removed when they were kept under another name.
// When a step fails, what was written is undone as far as the stores allow,
// agents is left as it was, and false comes back with the reason.
bool storeAgent(RegistryStore &registry, QList<RemoteAgent> &agents, int index,
                const RemoteAgent &agent, QString *error = nullptr);
// Takes the agent at index out of the list and the secret store. False with
// agents unchanged when the list cannot be saved; true with a warning set
// when only its secrets could not be removed.
bool removeAgent(RegistryStore &registry, QList<RemoteAgent> &agents, int index,
                 QString *warning = nullptr);

// One agent as the registry value holds it, and back.
QString toText(const RemoteAgent &agent);
bool fromText(const QString &text, RemoteAgent &agent);

} // namespace SavedAgents
} // namespace wv
