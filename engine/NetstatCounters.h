#pragma once

#include "engine/AgentLink.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace wv {

// One MIB-II scalar counter, read live from the agent at every Value().
class TNetstatCounterObject
{
public:
    // identifier: the object's identifier followed by .1.1 (10 components).
    // Opens the counter's own agent link; throws EConnListError.
    TNetstatCounterObject(const QString &name, const QString &description,
                          const TOidTemplate &identifier, const AgentLoader &loader = {});

    QString Name() const { return m_name; }
    QString Description() const { return m_description; }
    // The identifier sent with every read: one that lies after the preceding
    // object and before this one's instance.
    const TOidTemplate &RequestIdentifier() const { return m_request; }

    // The counter's 32 bits (shown signed, "%d"). Throws ENetstatError.
    qint32 Value();

private:
    QString m_name;
    TOidTemplate m_request;
    QString m_description;
    AgentLink m_link;
};

// A named list of counters; the list owns them and keeps them in the order
// they were added.
class TCounterList : public QObject
{
    Q_OBJECT
public:
    explicit TCounterList(QObject *owner = nullptr);
    ~TCounterList() override;

    // Takes ownership.
    void Add(TNetstatCounterObject *counter);
    int Count() const;
    // The counter at index; outside 0..Count()-1 throws EListError.
    TNetstatCounterObject *Counters(int index) const;
    const QStringList &Names() const { return m_names; }

protected:
    // Creates the counters of a group from a table of (name, object number).
    struct CounterDef
    {
        const char *name;
        quint32 object;
    };
    void addGroup(quint32 group, const CounterDef *defs, std::size_t count,
                  const AgentLoader &loader);

private:
    QStringList m_names;
    std::vector<std::unique_ptr<TNetstatCounterObject>> m_counters;
};

class TIpStats : public TCounterList
{
    Q_OBJECT
public:
    explicit TIpStats(QObject *owner = nullptr, const AgentLoader &loader = {});
};

class TIcmpStats : public TCounterList
{
    Q_OBJECT
public:
    explicit TIcmpStats(QObject *owner = nullptr, const AgentLoader &loader = {});
};

class TTCPStats : public TCounterList
{
    Q_OBJECT
public:
    explicit TTCPStats(QObject *owner = nullptr, const AgentLoader &loader = {});
};

class TUdpStats : public TCounterList
{
    Q_OBJECT
public:
    explicit TUdpStats(QObject *owner = nullptr, const AgentLoader &loader = {});
};

} // namespace wv
