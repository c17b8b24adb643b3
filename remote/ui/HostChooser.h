#pragma once

#include "remote/RemoteAgent.h"

#include <QComboBox>

namespace wv {

// The toolbar's host chooser: "This machine", the saved agents, and
// "Add agent..." at the end, followed by "Edit agent..." and "Remove agent"
// while an agent is shown.
class HostChooser : public QComboBox
{
    Q_OBJECT
public:
    explicit HostChooser(QWidget *parent = nullptr);

    void setAgents(const QList<RemoteAgent> &agents);
    // -1 for this machine, else the agent's position.
    void setShown(int agent);
    int shown() const { return m_shown; }

signals:
    // The user picked this machine (-1) or a saved agent.
    void hostChosen(int agent);
    void addRequested();
    // For the agent shown.
    void editRequested(int agent);
    void removeRequested(int agent);

private:
    void picked(int index);
    void rebuild();
    QStringList m_names;
    int m_shown = -1;
};

} // namespace wv
