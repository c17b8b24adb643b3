// Fitting the connection table's columns to their contents: the width is
// always the one a fresh measurement gives, however the rows, the view or
// the column changed in between.
#include "mainwin/ui/ColumnFitter.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QtTest>

using namespace wv;

class TestColumnFitter : public QObject
{
    Q_OBJECT

private:
    // The width QTableView itself gives the column now.
    static int freshWidth(QTableView &view, int column)
    {
        const int kept = view.columnWidth(column);
        view.resizeColumnToContents(column);
        const int w = view.columnWidth(column);
        view.setColumnWidth(column, kept);
        return w;
    }

private Q_SLOTS:
    void followsEveryChangeAndSkipsTheRest()
    {
        QStandardItemModel model(50, 2);
        for (int r = 0; r < 50; ++r) {
            model.setItem(r, 0, new QStandardItem(QStringLiteral("TCP")));
            model.setItem(r, 1, new QStandardItem(QStringLiteral("ESTABLISHED")));
        }
        QTableView view;
        view.setModel(&model);
        view.resize(300, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        ColumnFitter fitter(&view);

        fitter.fit(1);
        QCOMPARE(view.columnWidth(1), freshWidth(view, 1));
        const int measured = fitter.measured();
        // Nothing changed: no measuring, same width.
        fitter.fit(1);
        fitter.fit(1);
        QCOMPARE(fitter.measured(), measured);

        // A longer text in the column, a new row, a narrower font, a width
        // the user dragged, rows scrolled into view: each is measured again.
        const auto check = [&](const char *what) {
            fitter.fit(1);
            QVERIFY2(view.columnWidth(1) == freshWidth(view, 1), what);
        };
        model.item(3, 1)->setText(QStringLiteral("A MUCH LONGER STATE THAN BEFORE"));
        check("text");
        model.appendRow({new QStandardItem(QStringLiteral("UDP")),
                         new QStandardItem(QStringLiteral("LISTEN"))});
        check("row");
        model.removeRows(3, 1);
        check("removed row");
        QFont small = view.font();
        small.setPointSize(small.pointSize() + 6);
        view.setFont(small);
        check("font");
        view.setColumnWidth(1, 400);
        check("dragged");
        for (int r = 0; r < model.rowCount(); ++r)
            model.item(r, 1)->setText(r < 40 ? QStringLiteral("X") : QStringLiteral("LONG LONG"));
        view.scrollToBottom();
        check("scrolled");
        const int before = fitter.measured();
        // A change in another column leaves this one alone.
        model.item(5, 0)->setText(QStringLiteral("UDP"));
        fitter.fit(1);
        QCOMPARE(fitter.measured(), before);
    }
};

QTEST_MAIN(TestColumnFitter)
#include "test_column_fitter.moc"
