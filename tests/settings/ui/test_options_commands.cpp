// The options dialog as the running program opens it: the toolbar, the menus
// and the tray; the refresh timer around it; profiles from the File menu.

#include "mainwin/ui/MainProgram.h"
#include "mainwin/ui/MainToolbar.h"
#include "mainwin/ui/MainTray.h"
#include "refresh/RefreshCycle.h"
#include "rules/RuleList.h"
#include "rules/ui/TRulesPage.h"
#include "rules/ui/TfrmAddRule.h"
#include "settings/IniFile.h"
#include "settings/Paths.h"
#include "settings/Profile.h"
#include "settings/RegistryStore.h"
#include "settings/ui/OptionsCommands.h"
#include "settings/ui/TGradientBanner.h"
#include "settings/ui/TOptionsGeneralPage.h"
#include "settings/ui/TfrmOptions.h"
#include "tests/support/ModalDialog.h"
#include "tests/support/ProgramFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>

using namespace wv;
using wv::test::ProgramFixture;
using wv::test::whenModal;
using wv::test::writeSetting;

namespace {

QString setting(const char *key)
{
    return RegistryStore().readString(QStringLiteral("WVN3PRO\\Settings"),
                                      QString::fromLatin1(key));
}

} // namespace

class TestOptionsCommands : public QObject
{
    Q_OBJECT

    ProgramFixture m_fx;

    MainProgram &create() { return m_fx.createStarted(); }

private Q_SLOTS:
    void init()
    {
        m_fx.reset();
        qputenv("WIREVANE_RESOLV_CONF", m_fx.filePath(QStringLiteral("resolv.conf")).toLocal8Bit());
        writeSetting("autoRefresh", "1");
    }
    void cleanup() { m_fx.destroy(); }

    void toolbarOpensTheDialogWithTheTimerStopped()
    {
        MainProgram &p = create();
        QVERIFY(p.ruleEditor());
        QVERIFY(p.window().refresher().isActive());
        p.window().cycle().setRebuildPending(false);
        bool timerWhileOpen = true;
        whenModal<TfrmOptions>([&](TfrmOptions *d) {
            timerWhileOpen = p.window().refresher().isActive();
            QCOMPARE(d->pcOptions->currentIndex(), int(TfrmOptions::GeneralPage));
            d->pgGeneral->seRefreshDelay->setValue(42);
            d->pgGeneral->chkShowMenu->click();
            d->btnOK->click();
        });
        p.window().toolbar().tb3->click();
        QVERIFY(!timerWhileOpen);
        QVERIFY(p.window().refresher().isActive());
        QCOMPARE(p.window().refresher().interval(), 42000);
        QVERIFY(p.window().menuBar()->isVisible());
        QVERIFY(p.window().cycle().RebuildPending());
        QCOMPARE(setting("RefreshDelay"), QStringLiteral("42"));
        QCOMPARE(setting("showMenu"), QStringLiteral("1"));
    }

    void editRulesOpensOnTheRulesPageWithoutARebuild()
    {
        writeSetting("autoRefresh", "0");
        MainProgram &p = create();
        p.window().cycle().setRebuildPending(false);
        whenModal<TfrmOptions>([&](TfrmOptions *d) {
            QCOMPARE(d->pcOptions->currentIndex(), int(TfrmOptions::RulesPage));
            QCOMPARE(d->banner->text(), QStringLiteral("Options - General"));
            whenModal<TfrmAddRule>([](TfrmAddRule *editor) { editor->accept(); });
            d->pgRules->btnAddClick();
            d->btnOK->click();
        });
        p.options()->showOptions(true);
        QVERIFY(!p.window().refresher().isActive());
        QVERIFY(!p.window().cycle().RebuildPending());
        QCOMPARE(p.rules().Count(), 1);
        QVERIFY(QFile::exists(Paths::userFile(QStringLiteral("rules.qrs"))));
    }

    void trayOptionsRestoresTheWindowFirst()
    {
        MainProgram &p = create();
        p.window().sendToTray(true);
        bool visible = false;
        whenModal<TfrmOptions>([&](TfrmOptions *d) {
            visible = p.window().isVisible() && !p.window().isInTray();
            d->btnCancel->click();
        });
        p.window().trayIcon().trayOptions->trigger();
        QVERIFY(visible);
    }

    void profilesFromTheFileMenu()
    {
        MainProgram &p = create();
        const QString file = m_fx.filePath(QStringLiteral("me.wcf"));
        whenModal<QMessageBox>([](QMessageBox *box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("Export Profile"));
            QCOMPARE(box->text(), Profile::ExportDone);
            box->accept();
        });
        p.options()->exportProfile(file);
        QVERIFY(QFile::exists(file));

        // Import: the transferable settings and the rules come back and apply.
        writeSetting("RefreshDelay", "77");
        p.settings().ReadRegistry();
        TRule *r = p.rules().Add();
        r->Address = QStringLiteral("dropped by the import");
        whenModal<QMessageBox>([](QMessageBox *box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("Import Profile"));
            QVERIFY(box->text().startsWith(QStringLiteral("Settings successfully imported.")));
            box->accept();
        });
        p.options()->importProfile(file);
        QCOMPARE(p.settings().values().RefreshDelay, 15);
        QCOMPARE(setting("RefreshDelay"), QStringLiteral("15"));
        QCOMPARE(p.rules().Count(), 0);

        QFile cut(m_fx.filePath(QStringLiteral("cut.wcf")));
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write("\x05\0\0\0ab", 6);
        cut.close();
        QString error;
        whenModal<QMessageBox>([&error](QMessageBox *box) {
            error = box->windowTitle() + QLatin1Char('|') + box->text();
            box->accept();
        });
        p.options()->importProfile(cut.fileName());
        QVERIFY2(error.startsWith(QStringLiteral("Error|")), qPrintable(error));
        QVERIFY(error.contains(QStringLiteral("wvncache.ini")));
    }
};

QTEST_MAIN(TestOptionsCommands)
#include "test_options_commands.moc"
