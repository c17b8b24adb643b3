#include "mainwin/ui/DebugMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <exception>

namespace wv {

TDebugMenu::TDebugMenu(QMenuBar *bar, Actions actions, QObject *parent)
    : QObject(parent), m_actions(std::move(actions)), m_menu(bar->addMenu(QStringLiteral("Debug")))
{
    m_menu->setObjectName(QStringLiteral("mnuDebug"));
    auto add = [this](const QString &text, const std::function<void()> &run) {
        QAction *a = m_menu->addAction(text);
        connect(a, &QAction::triggered, this, [run] {
            if (run)
                run();
        });
    };
    add(QStringLiteral("Asterisk"), m_actions.asterisk);
    add(QStringLiteral("NetDisconnect"), m_actions.netDisconnect);
    add(QStringLiteral("Blink Tray"), m_actions.blinkTray);
    add(QStringLiteral("Ignored?"), [this] { IgnoredClick(); });
    add(QStringLiteral("RefreshProgsMenu"), m_actions.refreshProgsMenu);
    add(QStringLiteral("SplashScreen"), m_actions.splashScreen);
    m_menu->menuAction()->setVisible(false);
}

QAction *TDebugMenu::action(const QString &text) const
{
    for (QAction *a : m_menu->actions()) {
        if (a->text() == text)
            return a;
    }
    return nullptr;
}

void TDebugMenu::applyExtras(const Settings &settings)
{
    m_menu->menuAction()->setVisible(settings.xDebugWindow);
}

void TDebugMenu::IgnoredClick()
{
    if (!m_actions.ask || !m_actions.isIgnored)
        return;
    const std::optional<QString> answer = m_actions.ask(
        QStringLiteral("Is a rule ignored?"), QStringLiteral("Enter rule #"), QStringLiteral("0"));
    if (!answer)
        return;
    bool ok = false;
    const int n = answer->trimmed().toInt(&ok);
    if (!ok) {
        if (m_actions.error)
            m_actions.error(QStringLiteral("'%1' is not a valid integer value.").arg(*answer));
        return;
    }
    try {
        const bool ignored = m_actions.isIgnored(n);
        if (m_actions.tell)
            m_actions.tell(QStringLiteral("Rule %1 is %2ignored")
                               .arg(n)
                               .arg(ignored ? QString() : QStringLiteral("NOT ")));
    } catch (const std::exception &e) {
        if (m_actions.error)
            m_actions.error(QString::fromUtf8(e.what()));
    }
}

} // namespace wv
