// The relay window: shows the stored relay, refuses a bad value without
// closing, writes the relay and hands the password to the store.
#include "rules/mail/MailPassword.h"
#include "rules/ui/TfrmMailRelay.h"
#include "settings/RegistryStore.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using namespace wv;

class TestMailRelayWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        QVERIFY(m_home.isValid());
        qputenv("WIREVANE_HOME", m_home.path().toLocal8Bit());
        qputenv("WIREVANE_KEYCHAIN", "off");
    }

    void editsAndStoresTheRelay()
    {
        RegistryStore registry;
        MailRelay stored;
        stored.host = QStringLiteral("smtp.example.org");
        stored.security = MailSecurity::Tls;
        QVERIFY(stored.write(registry));

        TfrmMailRelay w(registry);
        w.show();
        QCOMPARE(w.hostEdit()->text(), QStringLiteral("smtp.example.org"));
        QCOMPARE(w.securityBox()->currentText(), QStringLiteral("TLS"));
        QCOMPARE(w.portSpin()->specialValueText(), QStringLiteral("usual (465)"));
        w.securityBox()->setCurrentIndex(0);
        QCOMPARE(w.portSpin()->specialValueText(), QStringLiteral("usual (25)"));

        // A user name without TLS is refused and the window stays open.
        w.userEdit()->setText(QStringLiteral("alice"));
        w.passwordEdit()->setText(QStringLiteral("pw"));
        w.btnOKClick();
        QVERIFY(w.isVisible());
        QVERIFY(w.errorLabel()->text().contains(QStringLiteral("TLS")));
        w.securityBox()->setCurrentIndex(1);
        w.fromAddressEdit()->setText(QStringLiteral("no address"));
        w.btnOKClick();
        QVERIFY(w.errorLabel()->text().startsWith(QStringLiteral("MailFromAddress")));
        QVERIFY(w.isVisible());

        w.fromAddressEdit()->setText(QStringLiteral("alerts@example.org"));
        w.portSpin()->setValue(2525);
        w.btnOKClick();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        const MailRelay saved = MailRelay::read(RegistryStore());
        QCOMPARE(saved.security, MailSecurity::StartTls);
        QCOMPARE(saved.port, 2525);
        QCOMPARE(saved.user, QStringLiteral("alice"));
        QCOMPARE(saved.fromAddress, QStringLiteral("alerts@example.org"));
        QCOMPARE(MailPassword::readNow(saved), QStringLiteral("pw"));
        QFile reg(registry.file().path());
        QVERIFY(reg.open(QIODevice::ReadOnly));
        QVERIFY(!reg.readAll().contains("pw\n"));
    }

private:
    QTemporaryDir m_home;
};

QTEST_MAIN(TestMailRelayWindow)
#include "test_mail_relay_window.moc"
