// The View menu's switch for the owner and traffic columns: its columns, where
// it is kept, what the snapshots are asked for, sorting, the filter bar and
// the connection information window.
#include "mainwin/ConnectionSort.h"
#include "mainwin/ui/ConnectionPane.h"
#include "mainwin/ui/DetailColumnsSwitch.h"
#include "mainwin/ui/MainMenus.h"
#include "mainwin/ui/MainToolbar.h"
#include "mainwin/ui/TfrmMain.h"
#include "refresh/ConnectionTableModel.h"
#include "settings/RegistryStore.h"
#include "settings/SettingsStore.h"
#include "tests/support/WindowFixture.h"
#include "tools/lookup/ui/TfrmConnInfo.h"

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace wv;
using wv::test::WindowFixture;

namespace {

// Remembers what the window asked of it.
class DetailSource : public ScriptedSource
{
public:
    void setDetails(bool on) override { details = on; }
    bool details = false;
};

SnapshotRow row(const char *remote, int localPort, qint64 pid, const char *program, qint64 sent)
{
    SnapshotRow r =
        SnapshotRow::tcp6(QStringLiteral("::1"), localPort, QString::fromLatin1(remote), 443, 5);
    r.pid = pid;
    r.program = QString::fromLatin1(program);
    r.bytesSent = sent;
    r.bytesReceived = sent / 2;
    return r;
}

} // namespace

class TestDetailColumns : public QObject
{
    Q_OBJECT

private:
    WindowFixture m_fx;
    DetailSource m_source;

    void open()
    {
        TfrmMain::Services s;
        s.source = &m_source;
        QVERIFY(m_fx.open(s));
    }
    QTableView *lv() const { return m_fx.window->pane().lv; }
    QString cell(int row, int column) const
    {
        return lv()->model()->index(row, column).data().toString();
    }

private Q_SLOTS:
    void init()
    {
        m_fx.reset();
        m_fx.settings->values().autoResolve = false;
        m_source = DetailSource();
    }
    void cleanup() { m_fx.destroy(); }

    void switchShowsTheColumnsAndIsKeptApartFromTheSettings()
    {
        open();
        QAction *item = m_fx.window->menus().mnuDetailColumns;
        QVERIFY(item->isCheckable());
        QCOMPARE(item->text(), QStringLiteral("&Process and traffic columns"));
        QVERIFY(!item->isChecked());
        QCOMPARE(lv()->model()->columnCount(), 8);
        QVERIFY(!m_source.details);

        item->trigger();
        QVERIFY(item->isChecked());
        QVERIFY(m_source.details);
        QCOMPARE(lv()->model()->columnCount(), 12);
        const QStringList captions = {"Process", "Sent", "Received", "Rate"};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(lv()->model()->headerData(8 + i, Qt::Horizontal).toString(), captions[i]);
            QVERIFY(lv()->columnWidth(8 + i) > 0);
        }
        // The design's columns keep their places and captions.
        QCOMPARE(lv()->model()->headerData(7, Qt::Horizontal).toString(),
                 QStringLiteral("Recognized"));
        QCOMPARE(
            m_fx.registry->readString(DetailColumnsSwitch::KeyPath, DetailColumnsSwitch::ValueName),
            QStringLiteral("1"));
        QVERIFY(!m_fx.registry->valueExists(QStringLiteral("WVN3PRO\\Settings"),
                                            DetailColumnsSwitch::ValueName));

        // A new window comes up as it was left.
        m_fx.window.reset();
        m_source.details = false;
        open();
        QVERIFY(m_fx.window->menus().mnuDetailColumns->isChecked());
        QVERIFY(m_source.details);
        QCOMPARE(lv()->model()->columnCount(), 12);
        m_fx.window->menus().mnuDetailColumns->trigger();
        QCOMPARE(lv()->model()->columnCount(), 8);
        QVERIFY(!m_source.details);
    }

    void transferFileDoesNotCarryTheSwitch()
    {
        open();
        m_fx.window->menus().mnuDetailColumns->trigger();
        m_fx.settings->SettingsToFile();
        QFile f(SettingsStore::transferFilePath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(text.contains("autoResolve"));
        QVERIFY(!text.contains("ProcessTraffic"));
    }

    void sortsByNumbersAndFiltersByProgram()
    {
        m_fx.registry->writeString(DetailColumnsSwitch::KeyPath, DetailColumnsSwitch::ValueName,
                                   QStringLiteral("1"));
        open();
        m_source.push({row("2001:db8::1", 1000, 10, "firefox", 900),
                       row("2001:db8::2", 1001, 11, "python3", 100000),
                       row("2001:db8::3", 1002, 12, "ssh", 20)});
        m_fx.window->toolbar().tb1->click();
        QCOMPARE(lv()->model()->rowCount(), 3);
        QCOMPARE(cell(0, 1), QStringLiteral("2001:db8::3"));
        QCOMPARE(cell(0, 8), QStringLiteral("ssh (12)"));

        lv()->horizontalHeader()->sectionClicked(ConnectionTableModel::ColSent);
        QCOMPARE(cell(0, ConnectionTableModel::ColSent), QStringLiteral("20"));
        QCOMPARE(cell(1, ConnectionTableModel::ColSent), QStringLiteral("900"));
        QCOMPARE(cell(2, ConnectionTableModel::ColSent), QStringLiteral("100,000"));
        lv()->horizontalHeader()->sectionClicked(ConnectionTableModel::ColRate);
        QCOMPARE(sortKindOf(ConnectionTableModel::ColReceived), SortKind::Numeric);
        QCOMPARE(sortKindOf(ConnectionTableModel::ColProcess), SortKind::Alphabetic);

        m_fx.window->pane().filterBar->setText(QStringLiteral("python"));
        QCOMPARE(lv()->model()->rowCount(), 1);
        QCOMPARE(cell(0, 1), QStringLiteral("2001:db8::2"));
        m_fx.window->pane().filterBar->clear();
        QCOMPARE(lv()->model()->rowCount(), 3);
    }

    void informationWindowShowsOwnerAndTraffic()
    {
        TfrmConnInfo info(TfrmConnInfo::Services{});
        ConnectionRecord r;
        r.RemoteAddressText = r.hostCell = QStringLiteral("::1");
        r.pid = 4242;
        r.program = QStringLiteral("python3");
        r.bytesSent = 100000;
        r.bytesReceived = 7;
        r.rate = 2048;
        info.fill(0, r, false, QStringLiteral("???"));
        QCOMPARE(info.lblProcess->text(), QStringLiteral("python3 (4242)"));
        QCOMPARE(info.lblSent->text(), QStringLiteral("100,000"));
        QCOMPARE(info.lblReceived->text(), QStringLiteral("7"));
        QCOMPARE(info.lblRate->text(), QStringLiteral("2,048 B/s"));
        info.fill(0, ConnectionRecord(), false, QStringLiteral("???"));
        QCOMPARE(info.lblProcess->text(), QStringLiteral("unknown"));
        QCOMPARE(info.lblRate->text(), QStringLiteral("unknown"));
    }
};

QTEST_MAIN(TestDetailColumns)
#include "test_detail_columns.moc"
