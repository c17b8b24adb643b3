#include "remote/SavedAgents.h"

#include "settings/RegistryStore.h"

#include <QUrl>

#include <optional>

namespace wv::SavedAgents {

namespace {

QString field(const QString &s)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(s));
}

QString unfield(const QString &s)
{
    return QUrl::fromPercentEncoding(s.toLatin1());
}

QString secretKey(const RemoteAgent &agent, const char *what)
{
    return agent.displayName() + QLatin1Char('/') +
           (agent.version == RemoteAgent::Version::V2c ? QString() : agent.user) +
           QLatin1Char('/') + QLatin1String(what);
}

} // namespace

QString toText(const RemoteAgent &a)
{
    const QString transport =
        a.transport == QLatin1String("tcp") ? QStringLiteral("tcp:") : QString();
    const QString address =
        transport +
        (a.host.contains(QLatin1Char(':')) ? QLatin1Char('[') + a.host + QLatin1Char(']')
                                           : a.host) +
        QLatin1Char(':') + QString::number(a.port);
    return QStringList{field(address),
                       a.version == RemoteAgent::Version::V3 ? QStringLiteral("3")
                                                             : QStringLiteral("2c"),
                       field(a.user),
                       field(a.authProtocol),
                       field(a.privProtocol),
                       QString::number(a.timeoutMs),
                       QString::number(a.retries)}
        .join(QLatin1Char('|'));
}

bool fromText(const QString &text, RemoteAgent &agent)
{
    const QStringList f = text.split(QLatin1Char('|'));
    if (f.size() != 7)
        return false;
    RemoteAgent a;
    if (!a.setAddress(unfield(f[0]), nullptr))
        return false;
    if (f[1] == QLatin1String("3"))
        a.version = RemoteAgent::Version::V3;
    else if (f[1] != QLatin1String("2c"))
        return false;
    a.user = unfield(f[2]);
    a.authProtocol = unfield(f[3]);
    a.privProtocol = unfield(f[4]);
    bool ok1 = false, ok2 = false;
    a.timeoutMs = f[5].toInt(&ok1);
    a.retries = f[6].toInt(&ok2);
    if (!ok1 || !ok2 || a.timeoutMs < 10 || a.timeoutMs > 600000 || a.retries < 0 || a.retries > 20)
        return false;
    // A v2c community is a secret: it comes from the secret store.
    if (a.version == RemoteAgent::Version::V2c)
        a.community.clear();
    agent = a;
    return true;
}

QList<RemoteAgent> load(const RegistryStore &registry)
{
    QList<RemoteAgent> agents;
    const QString key = QString::fromLatin1(KeyPath);
    for (int i = 1; i <= 1000; ++i) {
        const QString name = QStringLiteral("Agent%1").arg(i);
        if (!registry.valueExists(key, name))
            break;
        RemoteAgent a;
        // A damaged entry is skipped; the others stay usable.
        if (fromText(registry.readString(key, name), a))
            agents.append(a);
    }
    return agents;
}

bool save(RegistryStore &registry, const QList<RemoteAgent> &agents)
{
    const QString key = QString::fromLatin1(KeyPath);
    bool ok = true;
    for (const QString &name : registry.valueNames(key))
        ok = registry.deleteValue(key, name) && ok;
    for (int i = 0; i < agents.size(); ++i)
        ok = registry.writeString(key, QStringLiteral("Agent%1").arg(i + 1), toText(agents[i])) &&
             ok;
    return ok;
}

SecretStore::Place secretPlace()
{
    return {QStringLiteral("Wirevane SNMP agents"), QStringLiteral("snmp-secrets")};
}

bool readSecrets(RemoteAgent &agent, QString *error)
{
    QString e;
    const auto read = [&](const char *what) {
        QString one;
        const QString value =
            SecretStore::readNow(secretPlace(), secretKey(agent, what), &one, 5000);
        if (!one.isEmpty() && e.isEmpty())
            e = one;
        return value;
    };
    if (agent.version == RemoteAgent::Version::V2c) {
        agent.community = read("community");
    } else {
        agent.authPassphrase = agent.authProtocol.isEmpty() ? QString() : read("auth");
        agent.privPassphrase = agent.privProtocol.isEmpty() ? QString() : read("priv");
    }
    if (error)
        *error = e;
    return e.isEmpty();
}

bool writeSecrets(const RemoteAgent &agent, QString *error)
{
    bool ok = true;
    const auto write = [&](const char *what, const QString &value) {
        QString e;
        if (!SecretStore::writeNow(secretPlace(), secretKey(agent, what), value, &e, 5000)) {
            ok = false;
            if (error && error->isEmpty())
                *error = e;
        }
    };
    if (agent.version == RemoteAgent::Version::V2c) {
        write("community", agent.community);
    } else {
        write("auth", agent.authPassphrase);
        write("priv", agent.privPassphrase);
    }
    return ok;
}

namespace {

RemoteAgent withoutSecrets(RemoteAgent a)
{
    a.community.clear();
    a.authPassphrase.clear();
    a.privPassphrase.clear();
    return a;
}

} // namespace

bool storeAgent(RegistryStore &registry, QList<RemoteAgent> &agents, int index,
                const RemoteAgent &agent, QString *error)
{
    const auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (index >= agents.size())
        return fail(QStringLiteral("no such agent"));
    // The replaced entry's secrets as they are now, to put back on a failure.
    std::optional<RemoteAgent> before;
    if (index >= 0) {
        before = agents[index];
        readSecrets(*before);
    }
    const auto undoSecrets = [&] {
        writeSecrets(withoutSecrets(agent));
        if (before)
            writeSecrets(*before);
    };
    QString why;
    if (!writeSecrets(agent, &why)) {
        undoSecrets();
        return fail(QStringLiteral("the secrets could not be stored: %1").arg(why));
    }
    QList<RemoteAgent> next = agents;
    if (index < 0)
        next.append(withoutSecrets(agent));
    else
        next[index] = withoutSecrets(agent);
    if (!save(registry, next)) {
        save(registry, agents);
        undoSecrets();
        return fail(QStringLiteral("the list of agents in registry.ini could not be written"));
    }
    if (before && (before->displayName() != agent.displayName() ||
                   before->version != agent.version || before->user != agent.user)) {
        // Kept under another name than the new ones: nothing else reads them.
        writeSecrets(withoutSecrets(*before));
    }
    agents = next;
    return true;
}

bool removeAgent(RegistryStore &registry, QList<RemoteAgent> &agents, int index, QString *warning)
{
    if (index < 0 || index >= agents.size())
        return false;
    QList<RemoteAgent> next = agents;
    const RemoteAgent gone = next.takeAt(index);
    if (!save(registry, next)) {
        save(registry, agents);
        if (warning)
            *warning = QStringLiteral("the list of agents in registry.ini could not be written");
        return false;
    }
    agents = next;
    QString why;
    if (!writeSecrets(withoutSecrets(gone), &why) && warning)
        *warning = QStringLiteral("its secrets could not be removed: %1").arg(why);
    return true;
}

} // namespace wv::SavedAgents
