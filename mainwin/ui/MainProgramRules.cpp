#include "mainwin/ui/MainProgram.h"

#include "components/ui/TfrmSplash.h"
#include "mainwin/ui/DebugMenu.h"
#include "refresh/ConnectionTableModel.h"
#include "refresh/TableRules.h"
#include "rules/RuleError.h"
#include "rules/RulesFile.h"
#include "rules/mail/MailNotifier.h"
#include "rules/ui/TfrmAlerts.h"
#include "settings/DebugTrace.h"
#include "settings/programs/ProgramLauncher.h"
#include "settings/programs/ProgramsList.h"
#include "settings/programs/ProgramsMenu.h"
#include "stats/dialup/DialUp.h"

#include <QApplication>
#include <QCursor>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>

namespace wv {

namespace {

// What a match shows in the main window: message alerts and the tray's
// alert-waiting state.
class WindowRuleHost : public RuleActionHost
{
public:
    WindowRuleHost(TfrmMain &window, std::function<void(int, int)> viewRule,
                   const std::function<void(const QString &)> &lookup)
        : m_window(window), m_viewRule(std::move(viewRule)), m_lookup(lookup)
    {
    }
    void OpenLookup(int row, const QString &displayName) override
    {
        if (!m_lookup) {
            RuleActionHost::OpenLookup(row, displayName);
            return;
        }
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_lookup(displayName);
        QApplication::restoreOverrideCursor();
    }
    void OpenAlert(const QString &message, int rule, int row) override
    {
        ShowMsgAlert(message, rule, row, m_viewRule);
    }
    void SetAlertWaiting() override { m_window.setAlertWaiting(true); }

private:
    TfrmMain &m_window;
    std::function<void(int, int)> m_viewRule;
    const std::function<void(const QString &)> &m_lookup;
};

// The hang-up of a pass or of the alert window's menu: asks first when told
// to, then brings the last active dial-up connection down.
class WindowHangUp : public DialUpHangUp
{
public:
    WindowHangUp(QWidget *parent, std::function<void(const QString &)> report)
        : m_parent(parent), m_report(std::move(report))
    {
    }
    void NetDisconnect(bool askFirst) override
    {
        DebugLog(QStringLiteral("NetDisconnect"));
        if (askFirst) {
            // The question comes in the middle of a refresh, under its busy
            // cursor: the user gets the normal pointer to answer with.
            QApplication::setOverrideCursor(Qt::ArrowCursor);
            TfrmDisconnect ask(m_parent);
            const bool yes = ask.exec() == QDialog::Accepted;
            QApplication::restoreOverrideCursor();
            if (!yes)
                return;
        }
        // In the background: the window stays responsive while nmcli works.
        DialUpLink().HangUpLastAsync(m_parent,
                                     [report = m_report](bool hungUp, const QString &why) {
                                         if (!hungUp && !why.isEmpty()) {
                                             DebugLog(why);
                                             if (report)
                                                 report(why);
                                         }
                                     });
    }

private:
    QWidget *m_parent;
    std::function<void(const QString &)> m_report;
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
        m_ruleHost = std::make_unique<WindowRuleHost>(
            w, [this](int rule, int row) { showRuleAlert(rule, row); }, m_hooks.openLookup);
        m_tableRules->engine().setHost(m_ruleHost.get());
        m_hangUp = std::make_unique<WindowHangUp>(&w, [this](const QString &why) { tell(why); });
        m_tableRules->engine().setHangUp(m_hangUp.get());
        m_mailer = std::make_unique<MailNotifier>(m_registry);
        m_tableRules->engine().setMailer(m_mailer.get());
    }
    w.setWaitingAlertHandler([this] {
        m_window->setAlertWaiting(false);
        tell(QStringLiteral("in the future this will bring up the alert window"));
    });
    if (!m_hooks.showAlertDetails)
        m_hooks.showAlertDetails = [this](int row, int rule) { showRuleAlert(rule, row); };
    w.setCommandHandler(MainCommand::ViewAlert, [this] {
        const ConnectionRecord *r = m_window->selectedRecord();
        if (r && r->markRule >= 0)
            m_hooks.showAlertDetails(m_window->selectedRow(), r->markRule);
    });
    w.setRulesMenuFiller([this](QMenu *alerts, QMenu *ignored, QMenu *disabled) {
        fillRulesMenu(alerts, ignored, disabled);
    });
}

void MainProgram::createDebugMenu()
{
    TfrmMain &w = *m_window;
    TDebugMenu::Actions a;
    a.asterisk = [this] {
        ConnectionTableModel &table = m_window->tableModel();
        if (table.count() < 2)
            return;
        const bool marked =
            table.index(1, 0).data(ConnectionTableModel::MarkRole).toInt() == TableRules::MarkImage;
        table.setMark(1, marked ? -1 : TableRules::MarkImage);
    };
    a.netDisconnect = [this] {
        if (m_tableRules)
            m_tableRules->engine().hangUp().NetDisconnect(true);
    };
    a.blinkTray = [this] { m_window->setAlertWaiting(true); };
    a.isIgnored = [this](int n) { return m_rules.Rule(n)->IgnoredThisSession != 0; };
    a.refreshProgsMenu = [this] { m_window->RefreshProgramsMenu(); };
    a.splashScreen = [] {
        // Without its timer it stays until clicked.
        auto *splash = new TfrmSplash;
        splash->showCentered();
    };
    a.ask = [this](const QString &title, const QString &prompt,
                   const QString &def) -> std::optional<QString> {
        bool ok = false;
        const QString text =
            QInputDialog::getText(m_window.get(), title, prompt, QLineEdit::Normal, def, &ok);
        if (!ok)
            return std::nullopt;
        return text;
    };
    a.tell = [this](const QString &text) { tell(text); };
    a.error = [this](const QString &text) {
        QMessageBox::critical(m_window.get(), QStringLiteral("Error"), text);
    };
    m_debugMenu = std::make_unique<TDebugMenu>(w.menuBar(), std::move(a));
    m_settings.addSink(m_debugMenu.get());
}

void MainProgram::showRuleAlert(int rule, int row)
{
    // The list or the table may have changed since the alert was raised.
    ConnectionTableModel &table = m_window->tableModel();
    if (rule < 0 || rule >= m_rules.Count() || row < 0 || row >= table.count())
        return;
    const ConnectionRecord &r = table.record(row);
    AlertActions actions;
    if (m_hooks.openLookup)
        actions.lookup = [this, name = r.HostName.isEmpty() ? r.RemoteAddressText : r.HostName](
                             int) { m_hooks.openLookup(name); };
    actions.disconnect = [this] { m_tableRules->engine().hangUp().NetDisconnect(true); };
    actions.runProgram = [this](QWidget *parent) {
        auto *menu = new QMenu(parent);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        for (const ProgramMenuEntry &e : RefreshProgramsMenu(m_window->programs())) {
            QAction *a = menu->addAction(menuText(e.caption));
            a->setToolTip(e.hint);
            connect(a, &QAction::triggered, menu, [path = e.hint] { LaunchProgram(path); });
        }
        if (menu->isEmpty())
            menu->addAction(QStringLiteral("(no programs)"))->setEnabled(false);
        menu->popup(QCursor::pos() - QPoint(8, 8));
    };
    TfrmRuleAlert alert(*m_rules.Rule(rule), row,
                        r.HostName.isEmpty() ? r.RemoteAddressText : r.HostName,
                        m_tableRules ? actions : AlertActions{}, m_window.get());
    alert.flash();
    alert.exec();
    if (alert.ruleDisabled()) {
        try {
            m_rulesFile.save(m_rules);
        } catch (const ERuleError &e) {
            QMessageBox::critical(m_window.get(), QStringLiteral("Error"), e.message());
        }
    }
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
                m_rulesFile.save(m_rules);
            } catch (const ERuleError &e) {
                QMessageBox::critical(m_window.get(), QStringLiteral("Error"), e.message());
            }
        });
    }
    ignored->menuAction()->setEnabled(true);
    disabled->menuAction()->setEnabled(true);
}

} // namespace wv
