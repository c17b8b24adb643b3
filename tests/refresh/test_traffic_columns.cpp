// IPv6 rows, owners and traffic in the connection table: the texts the table,
// the events and the key lines show, and the owner and traffic columns.
#include "CycleFixture.h"
#include "refresh/TrafficText.h"

#include <QSignalSpy>
#include <QThread>

#include <gtest/gtest.h>

using namespace wv;
using namespace wv::test;

namespace {

SnapshotRow owned(const char *remote, int localPort, int remotePort, qint64 pid,
                  const char *program, qint64 sent, qint64 received)
{
    SnapshotRow r = SnapshotRow::tcp6(QStringLiteral("2001:db8::1"), localPort,
                                      QString::fromLatin1(remote), remotePort, Established);
    r.pid = pid;
    r.program = QString::fromLatin1(program);
    r.bytesSent = sent;
    r.bytesReceived = received;
    return r;
}

TEST(TrafficColumns, Ipv6RowsShowTheirAddressesInTheUsualForm)
{
    CycleFixture f;
    const QStringList events = f.refresh({owned("2001:db8::5", 40000, 443, 0, "", -1, -1)});
    EXPECT_EQ(events, QStringList{QStringLiteral("New Conn: 2001:db8::5, remote port 443, status "
                                                 "ESTABLISHED")});
    ASSERT_EQ(f.table.count(), 1);
    const ConnectionRecord &r = f.table.record(0);
    EXPECT_EQ(r.hostCell, QStringLiteral("2001:db8::5"));
    EXPECT_EQ(r.RemoteAddressText, QStringLiteral("2001:db8::5"));
    EXPECT_EQ(r.key, QStringLiteral("2001:db8::5*40000*443*ESTABLISHED"));
    EXPECT_EQ(r.family, 6);
    // Without owners or bytes the table keeps its eight columns.
    EXPECT_EQ(f.table.columnCount(), ConnectionTableModel::ColumnCount);
}

TEST(TrafficColumns, ColumnsComeAndGoAndFollowEveryRefresh)
{
    CycleFixture f;
    f.table.setDetailColumns(true);
    EXPECT_EQ(f.table.columnCount(), ConnectionTableModel::AllColumnCount);
    EXPECT_EQ(f.table.headerData(ConnectionTableModel::ColProcess, Qt::Horizontal),
              QStringLiteral("Process"));
    EXPECT_EQ(f.table.headerData(ConnectionTableModel::ColRate, Qt::Horizontal),
              QStringLiteral("Rate"));

    f.refresh({owned("::1", 40000, 5000, 4242, "python3", 1000, 20),
               owned("::1", 40001, 5000, 0, "", -1, -1)});
    ASSERT_EQ(f.table.count(), 2);
    // Rows are appended last snapshot row first.
    const int known = f.table.record(0).pid ? 0 : 1;
    auto cell = [&](int row, int column, int role = Qt::DisplayRole) {
        return f.table.data(f.table.index(row, column), role);
    };
    EXPECT_EQ(cell(known, ConnectionTableModel::ColProcess).toString(), "python3 (4242)");
    EXPECT_EQ(cell(known, ConnectionTableModel::ColSent).toString(), "1,000");
    EXPECT_EQ(cell(known, ConnectionTableModel::ColSent, ConnectionTableModel::RawRole),
              QVariant(qint64(1000)));
    // The first counts give no rate yet; an unknown owner and counts show nothing.
    EXPECT_EQ(cell(known, ConnectionTableModel::ColRate).toString(), "");
    EXPECT_EQ(cell(1 - known, ConnectionTableModel::ColProcess).toString(), "");
    EXPECT_EQ(cell(1 - known, ConnectionTableModel::ColReceived).toString(), "");

    // The next refresh brings new counts for the same connection: no event,
    // the row changes in place, and the rate is the bytes per second between.
    QSignalSpy changed(&f.table, &QAbstractItemModel::dataChanged);
    QThread::msleep(50);
    EXPECT_TRUE(f.refresh({owned("::1", 40000, 5000, 4242, "python3", 101000, 20),
                           owned("::1", 40001, 5000, 0, "", -1, -1)})
                    .isEmpty());
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(cell(known, ConnectionTableModel::ColSent).toString(), "101,000");
    const qint64 rate = f.table.record(known).rate;
    EXPECT_GT(rate, 0);
    EXPECT_LE(rate, 100000 * 1000 / 50);
    EXPECT_EQ(cell(known, ConnectionTableModel::ColRate).toString(), rateText(rate));

    // Switched off, the table has its eight columns again.
    f.table.setDetailColumns(false);
    EXPECT_EQ(f.table.columnCount(), ConnectionTableModel::ColumnCount);
    EXPECT_FALSE(cell(known, ConnectionTableModel::ColProcess).isValid());
}

TEST(TrafficColumns, Texts)
{
    EXPECT_EQ(byteCountText(0), "0");
    EXPECT_EQ(byteCountText(999), "999");
    EXPECT_EQ(byteCountText(1234567), "1,234,567");
    EXPECT_EQ(byteCountText(-1), "");
    EXPECT_EQ(rateText(2048), "2,048 B/s");
    EXPECT_EQ(processText(7, ""), "7");
    EXPECT_EQ(processText(0, "sshd"), "");

    // Counts that went backwards (a new socket under the same key) give no rate.
    ConnectionRecord r;
    SnapshotRow s = owned("::1", 1, 2, 1, "x", 5000, 0);
    takeTraffic(r, s, 1000);
    s.bytesSent = 10;
    EXPECT_TRUE(takeTraffic(r, s, 2000));
    EXPECT_EQ(r.rate, -1);
    s.bytesSent = 2010;
    takeTraffic(r, s, 3000);
    EXPECT_EQ(r.rate, 2000);
}

} // namespace
