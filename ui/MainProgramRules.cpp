#include "ui/MainProgram.h"

#include "monitor/refresh/TableRules.h"
#include "rules/RuleError.h"
#include "rules/RulesFile.h"
#include "settings/DebugTrace.h"

#include <QMenu>
#include <QMessageBox>

namespace wv {

namespace {

// What a match shows in the main window: the tray's alert-waiting state.
class WindowRuleHost : public RuleActionHost
{
public:
    explicit WindowRuleHost(TfrmMain &window) : m_window(window) {}
    void SetAlertWaiting() override { m_window.setAlertWaiting(true); }

private:
    TfrmMain &m_window;
};

// A menu caption shows '&' as itself.
QString menuText(const QString &text)
{
    QString out = text;
    return out.replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

void MainProgram::connectRules()
{
    TfrmMain &w = *m_window;
    if (m_tableRules) {
        m_tableRules->setTable(&w.tableModel(), &w.refreshControls());
        m_ruleHost = std::make_unique<WindowRuleHost>(w);
        m_tableRules->engine().setHost(m_ruleHost.get());
    }
    w.setWaitingAlertHandler([this] { m_window->setAlertWaiting(false); });
    w.setRulesMenuFiller([this](QMenu *alerts, QMenu *ignored, QMenu *disabled) {
        fillRulesMenu(alerts, ignored, disabled);
    });
}

void MainProgram::fillRulesMenu(QMenu *alerts, QMenu *ignored, QMenu *disabled)
{
    alerts->clear();
    if (m_tableRules) {
        for (const TableRules::MarkedRow &marked : m_tableRules->MarkedRows()) {
            QAction *a = alerts->addAction(menuText(marked.displayName));
            const int row = marked.row;
            const int rule = marked.rule;
            connect(a, &QAction::triggered, this, [this, row, rule] {
                if (m_hooks.showAlertDetails)
                    m_hooks.showAlertDetails(row, rule);
                else
                    DebugLog(
                        QStringLiteral("alert details of row %1, rule #%2").arg(row).arg(rule));
            });
        }
    }
    alerts->menuAction()->setEnabled(!alerts->isEmpty());

    ignored->clear();
    disabled->clear();
    for (int j = 0; j < m_rules.Count(); ++j) {
        const TRule &rule = *m_rules.Rule(j);
        QAction *ign = ignored->addAction(menuText(rule.Summary()));
        ign->setCheckable(true);
        ign->setChecked(rule.IgnoredThisSession == 1);
        connect(ign, &QAction::toggled, this, [this, j](bool on) {
            if (j < m_rules.Count())
                m_rules.Rule(j)->IgnoredThisSession = on ? 1 : 0;
        });
        QAction *dis = disabled->addAction(menuText(rule.Summary()));
        dis->setCheckable(true);
        dis->setChecked(rule.Enabled == 0);
        connect(dis, &QAction::toggled, this, [this, j](bool on) {
            if (j >= m_rules.Count())
                return;
            m_rules.Rule(j)->Enabled = on ? 0 : 1;
            try {
                RulesFile().save(m_rules);
            } catch (const ERuleError &e) {
                QMessageBox::critical(m_window.get(), QStringLiteral("Error"), e.message());
            }
        });
    }
    ignored->menuAction()->setEnabled(true);
    disabled->menuAction()->setEnabled(true);
}

} // namespace wv
