// The "Add agent..." dialog and the toolbar's host chooser.
#include "remote/ui/HostChooser.h"
#include "remote/ui/TfrmAgent.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

using namespace wv;

class TestAgentDialog : public QObject
{
    Q_OBJECT
private slots:
    void dialogBuildsTheAgentOrSaysWhatIsWrong()
    {
        TfrmAgent d;
        d.edAddress->setText(QStringLiteral("router.example:notaport"));
        d.accept();
        QVERIFY(d.result() != QDialog::Accepted);
        QVERIFY(d.lblProblem->text().contains(QStringLiteral("port")));

        d.edAddress->setText(QStringLiteral("udp:10.1.2.3:1161"));
        d.cbVersion->setCurrentIndex(1);
        QVERIFY(!d.edCommunity->isEnabled());
        d.edUser->setText(QStringLiteral("ops"));
        d.cbAuth->setCurrentText(QStringLiteral("SHA-512"));
        d.edAuthPass->setText(QStringLiteral("short"));
        d.accept();
        QVERIFY(d.lblProblem->text().contains(QStringLiteral("8 characters")));
        d.edAuthPass->setText(QStringLiteral("long enough"));
        d.cbPriv->setCurrentText(QStringLiteral("AES-256"));
        d.edPrivPass->setText(QStringLiteral("also long enough"));
        d.accept();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        const RemoteAgent a = d.agent();
        QCOMPARE(a.peerName(), QStringLiteral("udp:10.1.2.3:1161"));
        QCOMPARE(a.authProtocol, QStringLiteral("SHA-512"));
        QCOMPARE(a.privPassphrase, QStringLiteral("also long enough"));

        // Editing again shows the same fields.
        TfrmAgent e;
        e.setAgent(a);
        QCOMPARE(e.edAddress->text(), QStringLiteral("10.1.2.3:1161"));
        QVERIFY(e.edPrivPass->isEnabled());
        e.cbAuth->setCurrentIndex(0);
        QVERIFY(!e.cbPriv->isEnabled());
    }

    void chooserOffersThisMachineTheAgentsAndTheirCommands()
    {
        HostChooser c;
        RemoteAgent a, b;
        a.host = QStringLiteral("a");
        b.host = QStringLiteral("b");
        c.setAgents({a, b});
        QCOMPARE(c.count(), 4);
        QCOMPARE(c.itemText(0), QStringLiteral("This machine"));
        QCOMPARE(c.itemText(2), QStringLiteral("b:161"));
        QCOMPARE(c.itemText(3), QStringLiteral("Add agent..."));
        QSignalSpy chosen(&c, &HostChooser::hostChosen);
        QSignalSpy add(&c, &HostChooser::addRequested);
        emit c.activated(2);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.first().first().toInt(), 1);
        // "Add agent..." leaves the shown host selected.
        emit c.activated(3);
        QCOMPARE(add.size(), 1);
        QCOMPARE(c.currentIndex(), 2);
        // An agent shown can be edited or removed; this machine cannot.
        QCOMPARE(c.count(), 6);
        QCOMPARE(c.itemText(4), QStringLiteral("Edit agent..."));
        QCOMPARE(c.itemText(5), QStringLiteral("Remove agent"));
        QSignalSpy edit(&c, &HostChooser::editRequested);
        QSignalSpy remove(&c, &HostChooser::removeRequested);
        emit c.activated(4);
        emit c.activated(5);
        QCOMPARE(edit.size(), 1);
        QCOMPARE(edit.first().first().toInt(), 1);
        QCOMPARE(remove.size(), 1);
        QCOMPARE(remove.first().first().toInt(), 1);
        QCOMPARE(c.currentIndex(), 2);
        QCOMPARE(chosen.size(), 1);
        emit c.activated(0);
        QCOMPARE(c.count(), 4);
        emit c.activated(2);
        // Fewer agents: a host no longer listed falls back to this machine.
        c.setAgents({a});
        QCOMPARE(c.shown(), -1);
        QCOMPARE(c.currentIndex(), 0);
    }
};

QTEST_MAIN(TestAgentDialog)
#include "test_agent_dialog.moc"
