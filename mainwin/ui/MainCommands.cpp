#include "mainwin/ui/MainCommands.h"

#include "components/ui/WvApplication.h"

#include <QAction>

namespace wv {

namespace {

constexpr size_t slot(MainCommand c)
{
    return static_cast<size_t>(c);
}

} // namespace

MainCommands::MainCommands(QObject *parent) : QObject(parent) {}

QAction *MainCommands::action(MainCommand command, const QString &text, QObject *owner)
{
    auto *a = new QAction(text, owner);
    a->setEnabled(hasHandler(command));
    connect(a, &QAction::triggered, this, [this, command] { run(command); });
    // An item may go before the commands do (a menu freed with its window).
    connect(a, &QObject::destroyed, this,
            [this, command, a] { m_actions[slot(command)].removeAll(a); });
    m_actions[slot(command)].append(a);
    return a;
}

void MainCommands::setHandler(MainCommand command, std::function<void()> handler)
{
    m_handlers[slot(command)] = std::move(handler);
    for (QAction *a : m_actions[slot(command)])
        a->setEnabled(hasHandler(command));
    Q_EMIT handlersChanged();
}

bool MainCommands::hasHandler(MainCommand command) const
{
    return static_cast<bool>(m_handlers[slot(command)]);
}

void MainCommands::run(MainCommand command) const
{
    // A copy: the handler may replace itself.
    const std::function<void()> handler = m_handlers[slot(command)];
    if (!handler)
        return;
    WvApplication *app = WvApplication::instance();
    if (!app) {
        handler();
        return;
    }
    // Caught here rather than in the application's notify(): an exception
    // must not unwind through the button's and the action's frames.
    try {
        handler();
    } catch (...) {
        app->handleException(std::current_exception());
    }
}

} // namespace wv
