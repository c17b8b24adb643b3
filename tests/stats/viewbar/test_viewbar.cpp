// The view bar's walk through the table, its row menu, the strip it reserves
// and the one auto-hidden bar per edge.

#include "stats/viewbar/DockEdge.h"
#include "stats/viewbar/ModelViewBarTable.h"
#include "stats/viewbar/ViewBarNavigator.h"

#include <QFile>
#include <QProcess>
#include <QStandardItemModel>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTime>

#include <gtest/gtest.h>

using namespace wv;

namespace {

// A table of rows "0".."n-1"; a refresh fills it with refillTo rows.
class FakeTable : public ViewBarTable
{
public:
    explicit FakeTable(int rows) : m_rows(rows) {}
    int rowCount() const override { return m_rows; }
    QStringList row(int index) const override
    {
        QStringList cells{QString::number(index)};
        for (const char *c : {"host", "1025", "80", "TCP", "ESTABLISHED", "10:00", "web"})
            cells.append(QString::fromLatin1(c) + QString::number(index));
        return cells;
    }
    void refresh() override
    {
        ++refreshes;
        m_rows = refillTo;
    }
    void setRows(int rows) { m_rows = rows; }
    int refreshes = 0;
    int refillTo = 0;

private:
    int m_rows;
};

struct Walk
{
    explicit Walk(int rows) : table(rows), nav(table, position)
    {
        nav.setShowCallback([this](int index, const QStringList &) { shown.append(index); });
    }
    FakeTable table;
    int position = 0;
    ViewBarNavigator nav;
    QList<int> shown;
};

} // namespace

TEST(ViewBarNavigator, ScrollingWrapsFromTheLastRowToTheFirst)
{
    Walk w(3);
    for (int i = 0; i < 5; ++i)
        w.nav.scrollStep();
    EXPECT_EQ(w.shown, (QList<int>{1, 2, 0, 1, 2}));
    EXPECT_EQ(w.table.refreshes, 0);
}

TEST(ViewBarNavigator, PreviousAtTheFirstAndNextAtTheLastDoNothing)
{
    Walk w(3);
    EXPECT_FALSE(w.nav.previous());
    EXPECT_EQ(w.nav.next(), 1);
    EXPECT_EQ(w.nav.next(), 2);
    EXPECT_FALSE(w.nav.next());
    EXPECT_EQ(w.position, 2);
    EXPECT_EQ(w.nav.previous(), 1);
    EXPECT_EQ(w.shown, (QList<int>{1, 2, 1}));
}

TEST(ViewBarNavigator, AShrunkenTableIsShownFromItsFirstRowAtTheNextStep)
{
    Walk w(6);
    w.position = 5;
    w.table.setRows(3);
    EXPECT_EQ(w.nav.scrollStep(), 0);
    EXPECT_EQ(w.shown, QList<int>{0});
    // Next beyond the end pulls the position back and shows nothing new.
    w.position = 7;
    EXPECT_FALSE(w.nav.next());
    EXPECT_EQ(w.position, 2);
    // Show connection pulls it back as well.
    w.position = 9;
    EXPECT_FALSE(w.nav.showConnection(9));
    EXPECT_EQ(w.position, 2);
    ASSERT_TRUE(w.nav.showConnection(0));
    EXPECT_EQ(w.nav.showConnection(0)->value(1), QStringLiteral("host0"));
}

TEST(ViewBarNavigator, AnEmptyTableIsRefreshedFirst)
{
    Walk w(0);
    w.table.refillTo = 0;
    EXPECT_FALSE(w.nav.scrollStep());
    EXPECT_FALSE(w.nav.next());
    EXPECT_FALSE(w.nav.previous());
    EXPECT_EQ(w.table.refreshes, 3);
    EXPECT_TRUE(w.shown.isEmpty());

    // The refresh finds connections: the walk starts at the first.
    w.table.refillTo = 2;
    w.table.setRows(0);
    EXPECT_EQ(w.nav.scrollStep(), 0);
    EXPECT_EQ(w.nav.scrollStep(), 1);
    EXPECT_EQ(w.nav.scrollStep(), 0);
}

TEST(ViewBarNavigator, RowMenuTextsOfTheShownRow)
{
    FakeTable table(1);
    const QStringList texts = viewRowMenuTexts(table.row(0));
    EXPECT_EQ(texts, (QStringList{"rAddr: host0", "lPort: 10250", "rPort: 800", "proto: TCP0",
                                  "state: ESTABLISHED0", "timeN: 10:000", "recog: web0"}));
    const QStringList none = viewRowMenuTexts(std::nullopt);
    EXPECT_EQ(none.first(), QStringLiteral("nothing selected"));
    EXPECT_EQ(none.size(), 7);
}

TEST(ViewBarNavigator, ModelTableReadsRowsInModelOrder)
{
    QStandardItemModel model(2, 8);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 8; ++c)
            model.setItem(r, c, new QStandardItem(QStringLiteral("%1.%2").arg(r).arg(c)));
    int refreshed = 0;
    ModelViewBarTable table(model, [&] { ++refreshed; });
    EXPECT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.row(1).at(7), QStringLiteral("1.7"));
    table.refresh();
    EXPECT_EQ(refreshed, 1);
}

TEST(ViewBarClock, TwelveHoursWithoutLeadingZero)
{
    EXPECT_EQ(viewBarClockText(QTime(15, 7, 9)), QStringLiteral("3:07:09 PM"));
    EXPECT_EQ(viewBarClockText(QTime(0, 30, 0)), QStringLiteral("12:30:00 AM"));
    EXPECT_EQ(viewBarClockText(QTime(9, 5, 0)), QStringLiteral("9:05:00 AM"));
}

TEST(ViewBarLayout, ControlsFromTheRightEdge)
{
    const ViewBarLayout l = layoutViewBar(1000, 49, 83, 104, 34);
    EXPECT_EQ(l.panel1Width, 937);
    EXPECT_EQ(l.clockLeft, 854);
    EXPECT_EQ(l.ledPanLeft, 937 - (83 + 34 + 7));
    EXPECT_EQ(l.butPanLeft, 937 - (83 + 104 + 34 + 8));
    EXPECT_EQ(l.lvWidth, l.butPanLeft - 5);
    // Without the clock the lights move up to the right edge.
    EXPECT_EQ(layoutViewBar(1000, 49, 0, 104, 34).clockLeft, 937);
}

TEST(DockEdge, StrutReservesTheBarAtItsEdgeOfItsScreen)
{
    const QRect root(0, 0, 2944, 1080);
    const QRect left(0, 0, 1920, 1080);
    const QRect right(1920, 200, 1024, 768); // ends 112 pixels above the root's bottom

    auto s = strutPartial(DockEdge::Bottom, left, root, 28);
    EXPECT_EQ(s[3], 28u);
    EXPECT_EQ(s[10], 0u);
    EXPECT_EQ(s[11], 1919u);
    EXPECT_EQ(s[0] + s[1] + s[2], 0u);

    s = strutPartial(DockEdge::Bottom, right, root, 28);
    EXPECT_EQ(s[3], 112u + 28u);
    EXPECT_EQ(s[10], 1920u);
    EXPECT_EQ(s[11], 2943u);

    s = strutPartial(DockEdge::Top, right, root, 28);
    EXPECT_EQ(s[2], 228u);
    EXPECT_EQ(s[3], 0u);
    EXPECT_EQ(s[8], 1920u);
    EXPECT_EQ(s[9], 2943u);

    EXPECT_EQ(dockedRect(DockEdge::Bottom, left, 28), QRect(0, 1052, 1920, 28));
    EXPECT_EQ(dockedRect(DockEdge::Top, right, 28), QRect(1920, 200, 1024, 28));
    EXPECT_EQ(hiddenRect(DockEdge::Bottom, left, 28, 2).top(), 1078);
    EXPECT_EQ(hiddenRect(DockEdge::Top, left, 28, 2).bottom(), 1);
    EXPECT_EQ(edgeNearest(left, QPoint(50, 100)), DockEdge::Top);
    EXPECT_EQ(edgeNearest(left, QPoint(50, 1000)), DockEdge::Bottom);
}

TEST(AutoHideClaim, OneAutoHiddenBarPerEdge)
{
    QTemporaryDir dir;
    AutoHideClaim first(QStringLiteral(":7"), dir.path());
    AutoHideClaim second(QStringLiteral(":7"), dir.path());
    AutoHideClaim otherDisplay(QStringLiteral(":8"), dir.path());
    ASSERT_TRUE(first.claim(DockEdge::Bottom));
    EXPECT_FALSE(second.claim(DockEdge::Bottom));
    EXPECT_TRUE(otherDisplay.claim(DockEdge::Bottom));
    EXPECT_TRUE(second.claim(DockEdge::Top));
    // Moving to the other edge gives the first one back.
    EXPECT_FALSE(first.claim(DockEdge::Top));
    EXPECT_TRUE(first.holds(DockEdge::Bottom));
    first.release();
    EXPECT_TRUE(second.claim(DockEdge::Bottom));
    EXPECT_FALSE(second.holds(DockEdge::Top));
    EXPECT_TRUE(first.claim(DockEdge::Top));
}

TEST(AutoHideClaim, TheEdgeOfABarWhoseProcessDiedIsFree)
{
    QTemporaryDir dir;
    AutoHideClaim claim(QStringLiteral(":9"), dir.path());
    // A process that has ended left its lock behind.
    QProcess gone;
    gone.start(QStringLiteral("/bin/sleep"), {QStringLiteral("0.2")});
    ASSERT_TRUE(gone.waitForStarted(5000));
    const qint64 pid = gone.processId();
    ASSERT_TRUE(gone.waitForFinished(5000));
    QFile lock(claim.lockPath(DockEdge::Bottom));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(pid) + "\nwirevane\n" + QSysInfo::machineHostName().toUtf8() +
               "\n");
    lock.close();
    EXPECT_TRUE(claim.claim(DockEdge::Bottom));
}
