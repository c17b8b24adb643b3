#include "monitor/FriendlyNames.h"
#include "rules/RuleList.h"
#include "rules/RuleListModel.h"
#include "rules/RuleWorkingList.h"
#include "rules/RulesFile.h"
#include "rules/ui/TRulesPage.h"
#include "rules/ui/TfrmAddRule.h"
#include "settings/DnsServerList.h"
#include "settings/IniFile.h"
#include "settings/Paths.h"
#include "settings/RegistryStore.h"
#include "settings/SettingsStore.h"
#include "settings/programs/ProgramsList.h"
#include "settings/ui/TGradientBanner.h"
#include "settings/ui/TOptionsDnsPage.h"
#include "settings/ui/TOptionsExtrasPage.h"
#include "settings/ui/TOptionsGeneralPage.h"
#include "settings/ui/TOptionsViewBarPage.h"
#include "settings/ui/TfrmArrangeDns.h"
#include "settings/ui/TfrmOptions.h"
#include "tests/support/ModalDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <functional>
#include <memory>

using namespace wv;
using wv::test::whenModal;

namespace {

struct Applied : OptionsSink
{
    int refreshMs = -1;
    bool refreshOn = false;
    int menuBar = -1;
    void applyRefreshTimer(int ms, bool on) override
    {
        refreshMs = ms;
        refreshOn = on;
    }
    void applyMenuBar(bool show) override { menuBar = show ? 1 : 0; }
};

} // namespace

class TestOptionsDialog : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<RegistryStore> m_registry;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<TRuleList> m_live;
    std::unique_ptr<RuleWorkingList> m_work;
    std::unique_ptr<TfrmAddRule> m_editor;
    std::unique_ptr<FriendlyNames> m_names;
    std::unique_ptr<ProgramsList> m_programs;
    std::unique_ptr<DnsServerList> m_dns;
    Applied m_applied;
    QStringList m_messages;
    bool m_confirmAnswer = true;
    QStringList m_confirms;

    QString registryValue(const char *key)
    {
        return IniFile(Paths::userFile(QStringLiteral("registry.ini")))
            .readString(QStringLiteral("WVN3PRO\\Settings"), QLatin1String(key));
    }

    std::unique_ptr<TfrmOptions> makeDialog()
    {
        OptionsContext c;
        c.settings = m_settings.get();
        c.rules = m_work.get();
        c.ruleEditor = m_editor.get();
        c.names = m_names.get();
        c.programs = m_programs.get();
        c.dnsServers = m_dns.get();
        c.saveRules = [this] {
            RulesFile().save(*m_live);
            return true;
        };
        c.message = [this](const QString &caption, const QString &text) {
            m_messages.append(caption + QLatin1Char('|') + text);
        };
        c.confirm = [this](const QString &, const QString &text) {
            m_confirms.append(text);
            return m_confirmAnswer;
        };
        auto d = std::make_unique<TfrmOptions>(c);
        d->UpdateOptionsForm();
        d->LoadDNSServers();
        return d;
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("WIREVANE_HOME", QFile::encodeName(m_home->path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home->filePath(QStringLiteral("xdg"))));
        m_registry = std::make_unique<RegistryStore>();
        m_settings = std::make_unique<SettingsStore>(*m_registry);
        m_settings->ReadRegistry();
        m_settings->WriteRegistry();
        m_settings->addSink(&m_applied);
        m_live = std::make_unique<TRuleList>();
        for (const char *a : {"first", "second"}) {
            TRule *r = m_live->Add();
            r->WhoKind = 1;
            r->Address = QString::fromLatin1(a);
        }
        RulesFile().save(*m_live);
        m_work = std::make_unique<RuleWorkingList>(*m_live);
        m_editor = std::make_unique<TfrmAddRule>();
        m_names = std::make_unique<FriendlyNames>();
        m_programs = std::make_unique<ProgramsList>();
        QFile conf(m_home->filePath(QStringLiteral("resolv.conf")));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("search example.org\nnameserver 10.0.0.1\noptions edns0\n");
        conf.close();
        m_dns = std::make_unique<DnsServerList>(conf.fileName());
        m_messages.clear();
        m_confirms.clear();
        m_confirmAnswer = true;
        m_applied = Applied();
    }

    void cleanup()
    {
        m_work.reset();
        m_live.reset();
        m_settings.reset();
        m_registry.reset();
        m_editor.reset();
    }

    void pagesInOrderWithTheBanner()
    {
        auto d = makeDialog();
        QCOMPARE(d->windowTitle(), QStringLiteral("Options"));
        QCOMPARE(d->pcOptions->tabPosition(), QTabWidget::South);
        const QStringList captions = {"General", "DNS",      "Rules", "Recognized",
                                      "ViewBar", "Programs", "Extras"};
        QCOMPARE(d->pcOptions->count(), captions.size());
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));
        QCOMPARE(d->banner->text(), QStringLiteral("Options - General"));
        for (int i = captions.size() - 1; i >= 0; --i) {
            QCOMPARE(d->pcOptions->tabText(i), captions.at(i));
            d->pcOptions->setCurrentIndex(i);
            QCOMPARE(d->banner->text(), QStringLiteral("Options - ") + captions.at(i));
            QVERIFY(d->pcOptions->currentWidget()->isVisible());
        }
        d->reject();
    }

    void editRulesOpensOnTheRulesPageUnderTheGeneralBanner()
    {
        auto d = makeDialog();
        d->openOnPage(TfrmOptions::RulesPage);
        d->show();
        QCOMPARE(d->pcOptions->currentIndex(), int(TfrmOptions::RulesPage));
        QCOMPARE(d->banner->text(), QStringLiteral("Options - General"));
        QCOMPARE(d->pgRules->model()->rowCount(), 2);
        d->reject();
    }

    void controlsStartFromTheSettingsWithTheirRanges()
    {
        auto d = makeDialog();
        QCOMPARE(d->pgGeneral->seRefreshDelay->value(), 15);
        QCOMPARE(d->pgGeneral->seRefreshDelay->minimum(), 2);
        QCOMPARE(d->pgGeneral->seRefreshDelay->maximum(), 999);
        QVERIFY(!d->pgGeneral->seRefreshDelay->isEnabled());
        QCOMPARE(d->pgDns->seDnsTimeoutWait->minimum(), 50);
        QCOMPARE(d->pgDns->seDnsTimeoutWait->maximum(), 120000);
        QCOMPARE(d->pgDns->seDnsTimeoutWait->singleStep(), 500);
        QCOMPARE(d->pgDns->seExpireDelay->maximum(), 4320);
        QCOMPARE(d->pgViewBar->seConnShowSec->maximum(), 999);
        QVERIFY(d->pgGeneral->rbModem->isChecked());
        QVERIFY(d->pgDns->chkAutoResolve->isChecked());
        QVERIFY(!d->pgExtras->edWallpaperFile->isEnabled());
        QVERIFY(!d->pgExtras->boxes[6]->isEnabled()); // Flat viewbar
        QCOMPARE(d->pgDns->lblServers[0]->text(), QStringLiteral("10.0.0.1"));
        QCOMPARE(d->pgDns->lblServers[1]->text(), QString());
        Settings copy;
        d->copyToSettings(copy);
        QVERIFY(copy == m_settings->values());
    }

    void controlInterplay()
    {
        auto d = makeDialog();
        d->show();
        d->pgGeneral->chkAutoRefresh->click();
        QVERIFY(d->pgGeneral->seRefreshDelay->isEnabled());
        d->pgDns->chkExpires->click();
        QVERIFY(d->pgDns->seExpireDelay->isEnabled());
        d->pgDns->chkCacheDNS->click();
        QVERIFY(!d->pgDns->chkExpires->isEnabled());
        QVERIFY(!d->pgDns->chkWarnExpire->isEnabled());
        QVERIFY(!d->pgDns->seExpireDelay->isEnabled());
        d->pgDns->chkCacheDNS->click();
        QVERIFY(d->pgDns->seExpireDelay->isEnabled());
        QVERIFY(!d->pgViewBar->chkVbAutoHide->isEnabled());
        d->pgViewBar->chkVbShow->click();
        QVERIFY(d->pgViewBar->chkVbAutoHide->isEnabled());
        QVERIFY(d->pgViewBar->seConnShowSec->isEnabled());
        d->pgViewBar->chkVbScroll->click();
        QVERIFY(!d->pgViewBar->seConnShowSec->isEnabled());
        QVERIFY(!d->pgViewBar->lblConnShowSec->isEnabled());
        d->reject();
    }

    void okTakesEffectAndIsStored()
    {
        auto d = makeDialog();
        d->show();
        d->pgGeneral->chkAutoRefresh->click();
        d->pgGeneral->seRefreshDelay->setValue(30);
        d->pgGeneral->chkShowMenu->click();
        whenModal<TfrmAddRule>([](TfrmAddRule *e) {
            e->rbSpecificPort->click();
            e->edPort->setText(QStringLiteral("8080"));
            e->chkLog->click();
            e->btnOK->click();
        });
        d->pgRules->btnAddClick();
        QCOMPARE(d->pgRules->model()->rowCount(), 3);
        d->btnOK->click();
        QCOMPARE(d->result(), int(QDialog::Accepted));

        QCOMPARE(m_applied.refreshMs, 30000);
        QVERIFY(m_applied.refreshOn);
        QCOMPARE(m_applied.menuBar, 1);
        QCOMPARE(registryValue("RefreshDelay"), QStringLiteral("30"));
        QCOMPARE(registryValue("showMenu"), QStringLiteral("1"));
        QCOMPARE(m_live->Count(), 3);
        TRuleList saved;
        QFile f(RulesFile::defaultPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        saved.LoadFromStream(&f);
        QCOMPARE(saved.Count(), 3);
        QCOMPARE(saved.Rule(2)->Port, QStringLiteral("8080"));
        QCOMPARE(saved.Rule(2)->Summary(), QStringLiteral("Anyone on port 8080 / any connection"));
        QVERIFY(!m_work->isOpen());
        for (const auto &r : m_live->Items())
            QCOMPARE(r->Partner, nullptr);
        // The unchanged DNS servers were not rewritten.
        QCOMPARE(m_confirms.size(), 0);
    }

    void cancelChangesOnlyLookupAndCacheSwitches()
    {
        const QByteArray rulesBefore = [] {
            QFile f(RulesFile::defaultPath());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        auto d = makeDialog();
        d->show();
        d->pgDns->chkAutoResolve->click();
        d->pgDns->chkCacheDNS->click();
        QVERIFY(!m_settings->values().autoResolve);
        QVERIFY(!m_settings->values().cacheDNS);
        d->pgGeneral->seRefreshDelay->setValue(99);
        d->pgRules->selectRow(0);
        d->pgRules->btnDeleteClick();
        d->pgDns->setFields({QStringLiteral("9.9.9.9"), {}, {}, {}});
        d->btnCancel->click();
        QCOMPARE(d->result(), int(QDialog::Rejected));
        QVERIFY(!m_settings->values().autoResolve);
        QVERIFY(!m_settings->values().cacheDNS);
        QCOMPARE(m_settings->values().RefreshDelay, 15);
        QCOMPARE(registryValue("autoResolve"), QStringLiteral("1"));
        QCOMPARE(m_live->Count(), 2);
        QCOMPARE(m_live->Rule(0)->Address, QStringLiteral("first"));
        QFile f(RulesFile::defaultPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), rulesBefore);
        QCOMPARE(m_dns->servers(), QStringList{QStringLiteral("10.0.0.1")});
        QCOMPARE(m_applied.menuBar, -1);
    }

    void okAfterDeletingTheFirstRuleAndUncheckingOne()
    {
        auto d = makeDialog();
        d->show();
        d->pgRules->selectRow(0);
        QVERIFY(d->pgRules->memDescription->toPlainText().startsWith(
            QStringLiteral("**When someone with an address containing substringfirst")));
        d->pgRules->btnDeleteClick();
        d->pgRules->model()->setData(d->pgRules->model()->index(0, 0), Qt::Unchecked,
                                     Qt::CheckStateRole);
        d->accept();
        QCOMPARE(m_live->Count(), 1);
        QCOMPARE(m_live->Rule(0)->Address, QStringLiteral("second"));
        QCOMPARE(m_live->Rule(0)->Enabled, quint8(0));
    }

    void clearAllAsksFirst()
    {
        auto d = makeDialog();
        d->show();
        whenModal<QMessageBox>([](QMessageBox *box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("Confirm"));
            QCOMPARE(box->text(), TRulesPage::ClearAllQuestion);
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::Cancel));
            box->button(QMessageBox::Cancel)->click();
        });
        d->pgRules->btnClearAllClick();
        QCOMPARE(d->pgRules->model()->rowCount(), 2);
        whenModal<QMessageBox>([](QMessageBox *box) { box->button(QMessageBox::Ok)->click(); });
        d->pgRules->btnClearAllClick();
        QCOMPARE(d->pgRules->model()->rowCount(), 0);
        d->accept();
        QCOMPARE(m_live->Count(), 0);
    }

    void aCopyLeftFromBeforeIsReported()
    {
        m_work->open();
        auto d = makeDialog();
        d->show();
        QCOMPARE(m_messages,
                 QStringList{QStringLiteral("Notice|") + RuleWorkingList::StaleCopyNotice});
        QCOMPARE(d->pgRules->model()->rowCount(), 2);
        d->reject();
    }

    void dnsFieldsTakeNumbersOnly()
    {
        auto d = makeDialog();
        d->show();
        QString answer = QStringLiteral("dns.example");
        d->pgDns->askServer = [&answer](const QString &, QString *out) {
            *out = answer;
            return true;
        };
        QString shown;
        whenModal<QMessageBox>([&shown](QMessageBox *box) {
            shown = box->windowTitle() + QLatin1Char('|') + box->text();
            box->accept();
        });
        d->pgDns->serverClick(1);
        QCOMPARE(shown, QStringLiteral("Error|") + DnsServerList::RejectMessage);
        QCOMPARE(d->pgDns->lblServers[1]->text(), QString());
        answer = QStringLiteral("10.0.0.2");
        d->pgDns->serverClick(1);
        QCOMPARE(d->pgDns->lblServers[1]->text(), QStringLiteral("10.0.0.2"));

        // Hover colour.
        TDnsServerField *field = d->pgDns->lblServers[0];
        const QColor normal = field->palette().color(QPalette::ButtonText);
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QApplication::sendEvent(field, &enter);
        QCOMPARE(field->palette().color(QPalette::ButtonText), QColor(Qt::blue));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(field, &leave);
        QCOMPARE(field->palette().color(QPalette::ButtonText), normal);

        d->accept();
        QCOMPARE(m_dns->servers(),
                 (QStringList{QStringLiteral("10.0.0.1"), QStringLiteral("10.0.0.2")}));
        QFile f(m_dns->path());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("search example.org\nnameserver 10.0.0.1\n"
                                         "nameserver 10.0.0.2\noptions edns0\n"));
    }

    void managedResolverFileAsksBeforeWriting()
    {
        QFile conf(m_dns->path());
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("# Generated by NetworkManager\nnameserver 10.0.0.1\n");
        conf.close();
        m_confirmAnswer = false;
        auto d = makeDialog();
        d->pgDns->setFields({QStringLiteral("10.0.0.7"), {}, {}, {}});
        d->accept();
        QCOMPARE(m_confirms.size(), 1);
        QVERIFY(m_confirms.first().contains(QStringLiteral("NetworkManager")));
        QCOMPARE(m_dns->servers(), QStringList{QStringLiteral("10.0.0.1")});
    }

    void arrangeDialog()
    {
        TfrmArrangeDns a({QStringLiteral("1.1.1.1"), {}, QStringLiteral("3.3.3.3"), {}});
        QCOMPARE(a.windowTitle(), QStringLiteral("Arrange DNS Servers"));
        QCOMPARE(a.lbServers->count(), 2);
        QString answer = QStringLiteral("4.4.4.4");
        a.askServer = [&answer](const QString &, const QString &, QString *out) {
            *out = answer;
            return true;
        };
        a.btnAddClick();
        QCOMPARE(a.lbServers->currentRow(), 2);
        a.btnUpClick();
        QCOMPARE(a.lbServers->currentRow(), 1);
        QCOMPARE(a.lbServers->item(1)->text(), QStringLiteral("4.4.4.4"));
        a.show();
        a.pcArrange->setCurrentIndex(1);
        QCOMPARE(a.memServers->toPlainText(), QStringLiteral("1.1.1.1\n4.4.4.4\n3.3.3.3\n"));
        // Typed on "Edit" but not switched back: OK takes the list as it stands.
        a.memServers->setPlainText(QStringLiteral("8.8.8.8\n"));
        a.btnOK->click();
        QCOMPARE(a.fields()[0], QStringLiteral("1.1.1.1"));
        QCOMPARE(a.fields()[1], QStringLiteral("4.4.4.4"));
        QCOMPARE(a.fields()[3], QString());

        TfrmArrangeDns b({QStringLiteral("1.1.1.1"), {}, {}, {}});
        b.show();
        b.pcArrange->setCurrentIndex(1);
        b.memServers->setPlainText(QStringLiteral("5.5.5.5\nns.example\n"));
        whenModal<QMessageBox>([](QMessageBox *box) { box->accept(); });
        b.pcArrange->setCurrentIndex(0);
        QCOMPARE(b.pcArrange->currentIndex(), 1);
        b.memServers->setPlainText(QStringLiteral("5.5.5.5\n6.6.6.6\n"));
        b.pcArrange->setCurrentIndex(0);
        QCOMPARE(b.lbServers->count(), 2);
        b.btnOK->click();
        QCOMPARE(b.fields()[1], QStringLiteral("6.6.6.6"));
    }

    void ruleEditorDefaultsAndLinks()
    {
        TfrmAddRule &e = *m_editor;
        QCOMPARE(e.windowTitle(), QStringLiteral("Add rule"));
        QVERIFY(e.rbAnyone->isChecked());
        QVERIFY(!e.edAddress->isEnabled());
        QVERIFY(e.rbAnyPort->isChecked());
        QCOMPARE(e.edPort->text(), QStringLiteral("21"));
        QVERIFY(!e.edPort->isEnabled());
        QVERIFY(e.rbAnyConnection->isChecked());
        QVERIFY(e.chkMark->isChecked());
        QVERIFY(!e.chkMark->isEnabled());
        QVERIFY(!e.chkImmediate->isEnabled());
        QVERIFY(!e.lblEmailTo->isEnabled());
        QCOMPARE(e.pcThen->tabText(1), QStringLiteral("Noti&fications"));

        e.show();
        e.rbSpecificPort->click();
        QVERIFY(e.edPort->isEnabled());
        e.edPort->clear();
        QTest::keyClicks(e.edPort, QStringLiteral("8a0x8!0"));
        QCOMPARE(e.edPort->text(), QStringLiteral("8080"));

        // A box turned on and then disabled by its parent still counts.
        e.chkDisconnect->click();
        QVERIFY(e.chkImmediate->isEnabled());
        e.chkImmediate->click();
        e.chkDisconnect->click();
        QVERIFY(!e.chkImmediate->isEnabled());
        e.chkAlert->click();
        QVERIFY(e.edMessage->isEnabled());
        e.edMessage->setPlainText(QStringLiteral("line 1\nline 2"));
        e.chkAlert->click();
        QVERIFY(!e.edMessage->isEnabled());
        TRule r;
        r.ReservedText = QStringLiteral("kept");
        r.Number = 7;
        r.Enabled = 0;
        e.LoadFromEditor(r);
        QVERIFY(r.Actions.contains(raImmediate));
        QVERIFY(!r.Actions.contains(raDisconnect));
        QVERIFY(!r.Actions.contains(raAlert));
        QVERIFY(r.Actions.contains(raMark));
        QCOMPARE(r.Message, QStringLiteral("line 1\r\nline 2"));
        QCOMPARE(r.PortKind, quint8(1));
        QCOMPARE(r.Port, QStringLiteral("8080"));
        QCOMPARE(r.ReservedText, QStringLiteral("kept"));
        QCOMPARE(r.Number, 7);
        QCOMPARE(r.Enabled, quint8(0));

        TRule other;
        other.WhoKind = 1;
        other.Address = QStringLiteral("evil.example");
        other.EventKind = 2;
        other.Actions = TRuleActions{raEmail, raPlayWav};
        other.EmailTo = QStringLiteral("a@example.org\r\nb@example.org");
        other.WavFile = QStringLiteral("/tmp/x.wav");
        e.SaveToEditor(other);
        QVERIFY(e.edAddress->isEnabled());
        QVERIFY(e.edEmailTo->isEnabled());
        QVERIFY(e.edWavFile->isEnabled());
        QVERIFY(!e.chkMark->isChecked());
        TRule back;
        e.LoadFromEditor(back);
        QCOMPARE(back.Summary(), other.Summary());
        QCOMPARE(back.Actions, other.Actions);
        QCOMPARE(back.EmailTo, other.EmailTo);
        e.hide();
    }

    void addAfterEditOpensWithThatRulesValues()
    {
        auto d = makeDialog();
        d->show();
        d->pgRules->selectRow(1);
        whenModal<TfrmAddRule>([](TfrmAddRule *e) {
            QCOMPARE(e->edAddress->text(), QStringLiteral("second"));
            e->btnOK->click();
        });
        d->pgRules->btnEditClick();
        QString seen;
        whenModal<TfrmAddRule>([&seen](TfrmAddRule *e) {
            seen = e->edAddress->text();
            e->btnOK->click();
        });
        d->pgRules->btnAddClick();
        QCOMPARE(seen, QStringLiteral("second"));
        QCOMPARE(d->pgRules->model()->rowCount(), 3);
        QCOMPARE(d->pgRules->model()->ruleAt(2)->Address, QStringLiteral("second"));
        d->reject();
    }
};

QTEST_MAIN(TestOptionsDialog)
#include "test_options_dialog.moc"
