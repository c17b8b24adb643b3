#include "remote/ui/HostChooser.h"

#include <QSignalBlocker>

namespace wv {

HostChooser::HostChooser(QWidget *parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("cbHost"));
    setToolTip(QStringLiteral("The host whose connections are shown"));
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    setAgents({});
    connect(this, &QComboBox::activated, this, &HostChooser::picked);
}

void HostChooser::setAgents(const QList<RemoteAgent> &agents)
{
    const QSignalBlocker block(this);
    clear();
    addItem(QStringLiteral("This machine"));
    for (const RemoteAgent &a : agents)
        addItem(a.displayName());
    addItem(QStringLiteral("Add agent..."));
    m_agentCount = int(agents.size());
    if (m_shown >= m_agentCount)
        m_shown = -1;
    setCurrentIndex(m_shown + 1);
}

void HostChooser::setShown(int agent)
{
    m_shown = agent >= 0 && agent < m_agentCount ? agent : -1;
    const QSignalBlocker block(this);
    setCurrentIndex(m_shown + 1);
}

void HostChooser::picked(int index)
{
    if (index == count() - 1) {
        // "Add agent..." is a command, not a host: the shown one stays chosen.
        setShown(m_shown);
        emit addRequested();
        return;
    }
    const int agent = index - 1;
    if (agent != m_shown) {
        m_shown = agent;
        emit hostChosen(agent);
    }
}

} // namespace wv
