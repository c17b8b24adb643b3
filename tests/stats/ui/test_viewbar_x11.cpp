// The view bar on a real X server with a real window manager (openbox, see
// with_x11.sh --openbox): a dock window 28 pixels high across the bottom edge that
// reserves its strip, so that a maximised window stops above it; moved to
// the top edge by the menu or the drag handle; auto-hide; scrolling through
// the table's rows.

#include "stats/ui/Tvb.h"
#include "stats/viewbar/DockEdge.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace wv;

namespace {

class FakeTable : public ViewBarTable
{
public:
    int rowCount() const override { return rows; }
    QStringList row(int index) const override
    {
        return {QString::number(index),
                QStringLiteral("host%1.example").arg(index),
                QString::number(40000 + index),
                QStringLiteral("443"),
                QStringLiteral("TCP"),
                QStringLiteral("ESTABLISHED"),
                QStringLiteral("10:0%1").arg(index),
                QStringLiteral("???")};
    }
    void refresh() override { ++refreshes; }
    int rows = 3;
    int refreshes = 0;
};

QString x11(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(5000))
        return {};
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

QString xprop(const QWidget &w, const char *property)
{
    return x11(QStringLiteral("xprop"),
               {QStringLiteral("-id"), QString::number(w.winId()), QLatin1String(property)})
        .trimmed();
}

QString rootProperty(const char *property)
{
    return x11(QStringLiteral("xprop"), {QStringLiteral("-root"), QLatin1String(property)})
        .trimmed();
}

// The window's place on the screen as the X server has it.
QRect serverGeometry(const QWidget &w)
{
    const QString info =
        x11(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(w.winId())});
    auto field = [&](const char *name) {
        const qsizetype at = info.indexOf(QLatin1String(name));
        if (at < 0)
            return -1;
        return info.mid(at + qstrlen(name)).section(QLatin1Char('\n'), 0, 0).trimmed().toInt();
    };
    return QRect(field("Absolute upper-left X:"), field("Absolute upper-left Y:"), field("Width:"),
                 field("Height:"));
}

void shoot(const QString &name)
{
    const QString dir = qEnvironmentVariable("WV_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        QGuiApplication::primaryScreen()->grabWindow(0).save(dir + QLatin1Char('/') + name +
                                                             QStringLiteral(".png"));
}

} // namespace

class TestViewBarX11 : public QObject
{
    Q_OBJECT

private:
    FakeTable m_table;
    int m_position = 0;
    QTemporaryDir m_runtime;
    QStringList m_messages;
    int m_infoIndex = -2;

    std::unique_ptr<Tvb> makeBar()
    {
        ViewBarCommands commands;
        commands.connectionInfo = [this](int i) { m_infoIndex = i; };
        auto vb = std::make_unique<Tvb>(m_table, m_position, commands, nullptr);
        vb->setMessenger([this](const QString &m) { m_messages.append(m); });
        return vb;
    }

    QRect screen() const { return QGuiApplication::primaryScreen()->geometry(); }

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server with a window manager (run through with_x11.sh --openbox)");
        // The auto-hide claims of this test stay in a folder of its own.
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    }

    void docksAtTheBottomAndReservesItsStrip()
    {
        auto vb = makeBar();
        vb->show();
        QVERIFY(QTest::qWaitForWindowExposed(vb.get()));
        QCOMPARE(vb->windowTitle(), QStringLiteral("ViewBar"));
        QVERIFY(
            xprop(*vb, "_NET_WM_WINDOW_TYPE").contains(QStringLiteral("_NET_WM_WINDOW_TYPE_DOCK")));
        const QRect s = screen();
        QTRY_COMPARE(serverGeometry(*vb), QRect(0, s.height() - 28, s.width(), 28));
        QCOMPARE(
            xprop(*vb, "_NET_WM_STRUT_PARTIAL"),
            QStringLiteral("_NET_WM_STRUT_PARTIAL(CARDINAL) = 0, 0, 0, 28, 0, 0, 0, 0, 0, 0, 0, %1")
                .arg(s.width() - 1));
        QTRY_VERIFY(rootProperty("_NET_WORKAREA")
                        .startsWith(QStringLiteral("_NET_WORKAREA(CARDINAL) = 0, 0, %1, %2")
                                        .arg(s.width())
                                        .arg(s.height() - 28)));

        // A maximised window stops above the bar.
        QWidget other;
        other.setWindowTitle(QStringLiteral("maximised"));
        other.showMaximized();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        QTRY_VERIFY(other.frameGeometry().height() > s.height() / 2);
        QTRY_COMPARE(other.frameGeometry().bottom(), s.height() - 28 - 1);
        m_table.rows = 3;
        vb->ShowConnection(0);
        QTest::qWait(200); // painted before the picture is taken
        shoot(QStringLiteral("viewbar-bottom"));

        // To the top edge: the strip follows, the maximised window moves down.
        vb->setEdge(DockEdge::Top);
        QTRY_COMPARE(serverGeometry(*vb), QRect(0, 0, s.width(), 28));
        QCOMPARE(
            xprop(*vb, "_NET_WM_STRUT_PARTIAL"),
            QStringLiteral("_NET_WM_STRUT_PARTIAL(CARDINAL) = 0, 0, 28, 0, 0, 0, 0, 0, 0, %1, 0, 0")
                .arg(s.width() - 1));
        QTRY_COMPARE(other.frameGeometry().top(), 28);
        shoot(QStringLiteral("viewbar-top"));

        // The drag handle takes it back to the edge it is let go nearer to.
        const QPoint low = vb->Shape1->mapFromGlobal(QPoint(3, s.height() - 50));
        QTest::mousePress(vb->Shape1, Qt::LeftButton, {}, QPoint(3, 10));
        QTest::mouseRelease(vb->Shape1, Qt::LeftButton, {}, low);
        QCOMPARE(vb->Edge(), DockEdge::Bottom);
        QTRY_COMPARE(serverGeometry(*vb).top(), s.height() - 28);
    }

    void scrollsThroughTheRows()
    {
        m_position = 0;
        m_table.rows = 3;
        auto vb = makeBar();
        vb->setScrollInterval(150);
        vb->setScrollEnabled(true);
        vb->show();
        QVERIFY(QTest::qWaitForWindowExposed(vb.get()));
        QList<int> seen;
        QElapsedTimer clock;
        clock.start();
        while (seen.size() < 4 && clock.elapsed() < 5000) {
            QTest::qWait(20);
            if (vb->shownIndex() >= 0 && (seen.isEmpty() || seen.last() != vb->shownIndex()))
                seen.append(vb->shownIndex());
        }
        QCOMPARE(seen, (QList<int>{1, 2, 0, 1}));
        QCOMPARE(vb->lv->model()->index(0, 1).data().toString(), QStringLiteral("host1.example"));

        // By hand: Up and Down, and the row menu's connection information.
        vb->setScrollEnabled(false);
        m_position = 1;
        vb->tbUP->click();
        QCOMPARE(vb->shownIndex(), 2);
        vb->tbUP->click(); // the last row: nothing happens
        QCOMPARE(vb->shownIndex(), 2);
        vb->tbDown->click();
        QCOMPARE(vb->shownIndex(), 1);
        vb->lv->selectRow(0);
        vb->miConnInfo->trigger();
        QCOMPARE(m_infoIndex, 1);
        vb->viewpopPopup();
        QCOMPARE(vb->miFields[0]->text(), QStringLiteral("rAddr: host1.example"));
        QCOMPARE(vb->miFields[6]->text(), QStringLiteral("recog: ???"));
    }

    void autoHideSlidesOutAndGivesTheStripBack()
    {
        auto vb = makeBar();
        vb->setSlideEffect(false);
        vb->show();
        QVERIFY(QTest::qWaitForWindowExposed(vb.get()));
        QCursor::setPos(screen().center());
        QVERIFY(vb->setAutoHide(true));
        QCOMPARE(
            xprop(*vb, "_NET_WM_STRUT_PARTIAL"),
            QStringLiteral("_NET_WM_STRUT_PARTIAL(CARDINAL) = 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0"));
        const QRect s = screen();
        QTRY_COMPARE_WITH_TIMEOUT(serverGeometry(*vb).top(), s.height() - TAppBar::HiddenStrip,
                                  3000);
        QVERIFY(vb->isSlidOut());
        vb->slideIn(); // what the mouse entering the strip does
        QTRY_COMPARE(serverGeometry(*vb).top(), s.height() - 28);

        // A second bar may not auto-hide on the same edge.
        auto second = makeBar();
        second->show();
        QVERIFY(!second->setAutoHide(true));
        QCOMPARE(m_messages, QStringList{autoHideTakenMessage()});
        QVERIFY(!second->AutoHide());
        // Once the first stops auto-hiding, the edge is free.
        QVERIFY(vb->setAutoHide(false));
        QVERIFY(second->setAutoHide(true));

        // With the slide effect the bar moves in steps over SlideTime.
        vb.reset();
        second->setSlideEffect(true);
        second->setSlideTime(400);
        second->slideIn();
        QTRY_COMPARE(serverGeometry(*second).top(), s.height() - 28);
        second->slideOut();
        QTest::qWait(150);
        const int midway = serverGeometry(*second).top();
        QVERIFY2(midway > s.height() - 28 && midway < s.height() - 2,
                 qPrintable(QString::number(midway)));
        QTRY_COMPARE(serverGeometry(*second).top(), s.height() - TAppBar::HiddenStrip);
    }
};

QTEST_MAIN(TestViewBarX11)
#include "test_viewbar_x11.moc"
