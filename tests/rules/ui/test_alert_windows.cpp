#include "rules/Rule.h"
#include "rules/ui/TfrmAlerts.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace wv {

class TestAlertWindows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void detailsDescribeTheMatch()
    {
        TRule rule;
        rule.Number = 3;
        rule.EventKind = 1;
        rule.Port = QStringLiteral("25");
        rule.Actions = TRuleActions{raLog, raMark};
        TfrmRuleAlert w(rule, 5, QStringLiteral("<b>host</b>"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Wirevane Alert"));
        QCOMPARE(
            w.descriptionLabel()->text(),
            QStringLiteral("<b>host</b> met rule #3 by sending a SYN event involving port 25."));
        QCOMPARE(w.descriptionLabel()->textFormat(), Qt::PlainText);
        QCOMPARE(w.actionsList()->count(), rule.ActionsText().split(QStringLiteral(", ")).size());
        QVERIFY(w.actionsList()->count() >= 2);

        w.show();
        QCOMPARE(w.width(), TfrmRuleAlert::NarrowWidth);
        w.btnMoreClick();
        QCOMPARE(w.width(), TfrmRuleAlert::WideWidth);
        QCOMPARE(w.moreButton()->text(), QStringLiteral("<< Less info"));
        QVERIFY(w.actionsList()->isVisible());
        w.btnMoreClick();
        QCOMPARE(w.width(), TfrmRuleAlert::NarrowWidth);
        QCOMPARE(w.moreButton()->text(), QStringLiteral("More info >>"));
    }

    void okStoresTheChoicesEscapeDoesNot()
    {
        TRule rule;
        {
            TfrmRuleAlert w(rule, 0, QStringLiteral("h"));
            w.dontShowBox()->setChecked(true);
            w.disableBox()->setChecked(true);
            w.show();
            QTest::keyClick(&w, Qt::Key_Escape);
        }
        QCOMPARE(rule.IgnoredThisSession, quint8(0));
        QCOMPARE(rule.Enabled, quint8(1));

        TfrmRuleAlert w(rule, 0, QStringLiteral("h"));
        w.dontShowBox()->setChecked(true);
        w.disableBox()->setChecked(true);
        w.btnOKClick();
        QCOMPARE(rule.IgnoredThisSession, quint8(1));
        QCOMPARE(rule.Enabled, quint8(0));
        QVERIFY(w.ruleDisabled());
    }

    void actionsMenuCallsTheHooks()
    {
        TRule rule;
        int lookedUp = -1;
        int hangUps = 0;
        AlertActions actions;
        actions.lookup = [&](int row) { lookedUp = row; };
        actions.disconnect = [&] { ++hangUps; };
        TfrmRuleAlert w(rule, 7, QStringLiteral("h"), actions);
        const auto items = w.actionsMenu()->actions();
        QCOMPARE(items.size(), 4);
        items[0]->trigger();
        items[1]->trigger();
        QCOMPARE(lookedUp, 7);
        QCOMPARE(hangUps, 1);
        QVERIFY(!items[3]->isEnabled()); // no programs menu given
    }

    void alertWindowsFlashWhenOpenedClickedAndActivated()
    {
        QPointer<TfrmMsgAlert> msg = ShowMsgAlert(QStringLiteral("look"), 0, 1);
        QVERIFY(QTest::qWaitForWindowExposed(msg.data()));
        QTest::qWait(50); // any activation of the new window has come by now
        const int opened = msg->flashCount();
        QVERIFY(opened >= 1);
        QTest::mouseClick(msg->messageLabel(), Qt::LeftButton);
        QCOMPARE(msg->flashCount(), opened + 1);
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(msg.data(), &activate);
        QCOMPARE(msg->flashCount(), opened + 2);
        msg->close();

        TRule rule;
        TfrmRuleAlert details(rule, 0, QStringLiteral("h"));
        details.flash(); // as it opens
        QCOMPARE(details.flashCount(), 1);
        QCoreApplication::sendEvent(&details, &activate);
        QCOMPARE(details.flashCount(), 2);
    }

    void messageAlertsAreSeparateWindows()
    {
        int viewedRule = -1, viewedRow = -1;
        QPointer<TfrmMsgAlert> a =
            ShowMsgAlert(QStringLiteral("<i>one</i>"), 2, 4, [&](int rule, int row) {
                viewedRule = rule;
                viewedRow = row;
            });
        QPointer<TfrmMsgAlert> b = ShowMsgAlert(QStringLiteral("two"), 0, 1);
        QVERIFY(a && b && a != b);
        QCOMPARE(a->windowTitle(), QStringLiteral("Message Alert"));
        QCOMPARE(a->messageLabel()->text(), QStringLiteral("<i>one</i>"));
        QCOMPARE(a->messageLabel()->textFormat(), Qt::PlainText);
        QCOMPARE(a->connectionLabel()->text(), QStringLiteral("Connection #4"));
        QVERIFY(a->isVisible() && b->isVisible());

        a->viewButton()->click();
        QCOMPARE(viewedRule, 2);
        QCOMPARE(viewedRow, 4);
        QTRY_VERIFY(a.isNull()); // frees itself once closed
        QTest::keyClick(b.data(), Qt::Key_Escape);
        QTRY_VERIFY(b.isNull());
    }
};

} // namespace wv

QTEST_MAIN(wv::TestAlertWindows)
#include "test_alert_windows.moc"
