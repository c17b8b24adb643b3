// The rules at work in the running program: the pass after a refresh, the
// asterisk mark, the log file and the Rules menu.

#include "mainwin/ui/MainProgram.h"
#include "refresh/ConnectionTableModel.h"
#include "refresh/RefreshCycle.h"
#include "refresh/SnapshotSource.h"
#include "refresh/TableRules.h"
#include "rules/RuleList.h"
#include "rules/RulesFile.h"
#include "settings/Paths.h"
#include "settings/RegistryStore.h"
#include "tests/support/ProgramFixture.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace wv;
using wv::test::writeSetting;

namespace {

QMenu *subMenu(QMenu *menu, const QString &title)
{
    for (QAction *a : menu->actions())
        if (a->menu() && a->text() == title)
            return a->menu();
    return nullptr;
}

} // namespace

class TestRulesWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("WIREVANE_HOME", m_home->path().toLocal8Bit());
        writeSetting("showSplash", "0");
        writeSetting("autoResolve", "0");
    }

    void matchMarksLogsAndFillsTheRulesMenu()
    {
        {
            TRuleList rules;
            TRule &web = *rules.Add();
            web.PortKind = 1;
            web.Port = QStringLiteral("8080");
            web.Actions = TRuleActions{raLog, raMark};
            TRule &other = *rules.Add();
            other.PortKind = 1;
            other.Port = QStringLiteral("9");
            TRule &quiet = *rules.Add();
            quiet.PortKind = 1;
            quiet.Port = QStringLiteral("443");
            quiet.Actions = TRuleActions{raAlert, raPassiveAlert};
            RulesFile().save(rules);
        }
        ScriptedSource source;
        source.push({SnapshotRow::tcp(QStringLiteral("127.0.0.1"), 5000, QStringLiteral("10.1.2.3"),
                                      8080, 5),
                     SnapshotRow::tcp(QStringLiteral("127.0.0.1"), 5001, QStringLiteral("10.1.2.4"),
                                      443, 5)});
        TfrmMain::Services services;
        services.source = &source;
        MainProgram program(services);
        program.hooks().notice = [](const QString &) {};
        program.hooks().terminate = [] {};
        program.Create();
        TfrmMain &w = program.window();
        w.cycle().RefreshConnections();

        ConnectionTableModel &table = w.tableModel();
        QCOMPARE(table.count(), 2);
        const int marked = table.record(0).RemotePortText == QLatin1String("8080") ? 0 : 1;
        QCOMPARE(table.record(marked).mark, TableRules::MarkImage);
        QCOMPARE(table.record(marked).markRule, 0);
        QCOMPARE(table.record(1 - marked).mark, -1);

        // A passive alert only sets the tray's waiting state, which a later
        // refresh does not overwrite.
        auto *tray = w.findChild<QSystemTrayIcon *>(QStringLiteral("tray"));
        QVERIFY(tray);
        QCOMPARE(tray->toolTip(), QStringLiteral("Wirevane [Alert waiting]"));
        QCOMPARE(w.findChild<QMenu *>(QStringLiteral("trayPop"))->actions().first()->text(),
                 QStringLiteral("Show Alert"));
        QVERIFY(QApplication::topLevelWidgets().size() > 0);
        for (QWidget *top : QApplication::topLevelWidgets())
            QVERIFY(top->windowTitle() != QLatin1String("Message Alert"));

        QFile log(Paths::userFile(QStringLiteral("wvnlog.txt")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QVERIFY(text.startsWith(QStringLiteral("-- WVN Pro log file -- created ")));
        QVERIFY(text.contains(
            QStringLiteral(": 10.1.2.3 met rule #0 by connecting to your computer involving "
                           "port 8080.\r\n")));

        QMenu *rulesMenu = nullptr;
        for (QAction *a : w.findChild<QMenuBar *>()->actions())
            if (a->text() == QLatin1String("&Rules"))
                rulesMenu = a->menu();
        QVERIFY(rulesMenu);
        Q_EMIT rulesMenu->aboutToShow();
        QMenu *alerts = subMenu(rulesMenu, QStringLiteral("&View rule alerts"));
        QMenu *ignored = subMenu(rulesMenu, QStringLiteral("&Ignored this session"));
        QMenu *disabled = subMenu(rulesMenu, QStringLiteral("&Disabled"));
        QVERIFY(alerts && ignored && disabled);
        QCOMPARE(alerts->actions().size(), 1);
        QCOMPARE(alerts->actions()[0]->text(), QStringLiteral("10.1.2.3"));
        QVERIFY(alerts->menuAction()->isEnabled());
        QCOMPARE(ignored->actions().size(), 3);
        QCOMPARE(disabled->actions().size(), 3);

        // Ignoring lasts the session only; disabling is saved.
        ignored->actions()[0]->trigger();
        QCOMPARE(program.rules().Rule(0)->IgnoredThisSession, quint8(1));
        disabled->actions()[1]->trigger();
        QCOMPARE(program.rules().Rule(1)->Enabled, quint8(0));
        TRuleList saved;
        RulesFile().load(saved, m_notices);
        QCOMPARE(saved.Count(), 3);
        QCOMPARE(saved.Rule(1)->Enabled, quint8(0));
        QCOMPARE(saved.Rule(0)->Enabled, quint8(1));

        // An ignored rule no longer logs.
        const qint64 size = log.size();
        w.cycle().RefreshConnections();
        QCOMPARE(QFile(log.fileName()).size(), size);
        program.ShutDown();
    }

private:
    class Notices : public RuleNotices
    {
    public:
        void notice(const QString &) override {}
    } m_notices;
    std::unique_ptr<QTemporaryDir> m_home;
};

QTEST_MAIN(TestRulesWindow)
#include "test_rules_window.moc"
