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
    m_names.clear();
    for (const RemoteAgent &a : agents)
        m_names.append(a.displayName());
    if (m_shown >= m_names.size())
        m_shown = -1;
    rebuild();
}

void HostChooser::setShown(int agent)
{
    m_shown = agent >= 0 && agent < m_names.size() ? agent : -1;
    rebuild();
}

void HostChooser::rebuild()
{
    const QSignalBlocker block(this);
    clear();
    addItem(QStringLiteral("This machine"));
    addItems(m_names);
    addItem(QStringLiteral("Add agent..."));
    // The shown agent's commands, while one is shown.
    if (m_shown >= 0) {
        addItem(QStringLiteral("Edit agent..."));
        addItem(QStringLiteral("Remove agent"));
    }
    setCurrentIndex(m_shown + 1);
}

void HostChooser::picked(int index)
{
    const int command = index - int(m_names.size()) - 1;
    if (command >= 0) {
        // A command is not a host: the shown one stays chosen.
        const int shown = m_shown;
        setShown(shown);
        if (command == 0)
            emit addRequested();
        else if (command == 1)
            emit editRequested(shown);
        else
            emit removeRequested(shown);
        return;
    }
    const int agent = index - 1;
    if (agent != m_shown) {
        m_shown = agent;
        rebuild();
        emit hostChosen(agent);
    }
}

} // namespace wv
