// Saving and printing the main window's connection table from the File menu.

#include "mainwin/ui/ConnectionPane.h"
#include "mainwin/ui/MainProgram.h"
#include "monitor/ui/ConnectionTableCommands.h"
#include "refresh/ConnectionTableModel.h"
#include "settings/Paths.h"
#include "tests/monitor/ExportReaders.h"
#include "tests/support/ProgramFixture.h"

#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace wv;
using wv::test::ProgramFixture;
using wv::test::writeSetting;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Page objects of a PDF file (the page tree's own "/Pages" excluded).
int pdfPages(const QByteArray &pdf)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![s])"));
    return int(QString::fromLatin1(pdf).count(page));
}

ConnectionRecord record(int n)
{
    ConnectionRecord r;
    r.number = n;
    r.RemoteAddressText = QStringLiteral("10.0.%1.%2").arg(n / 256).arg(n % 256);
    // Hostile cells: markup, separators, formulas, line breaks.
    r.HostName = n % 2 ? QStringLiteral("<i>h%1</i>,\"x\"").arg(n) : QStringLiteral("=1+%1").arg(n);
    r.hostCell = r.HostName;
    r.LocalPortText = QString::number(1024 + n);
    r.RemotePortText = QStringLiteral("80");
    r.protocol = QStringLiteral("TCP");
    r.stateName = QStringLiteral("ESTABLISHED");
    r.timeText = QStringLiteral("12:00:00");
    r.recognized = n == 3 ? QStringLiteral("two\nlines {\\par}") : QStringLiteral("???");
    r.key = r.RemoteAddressText + QLatin1Char('*') + r.LocalPortText;
    return r;
}

// The table as shown: header captions, then each row's cells.
QList<QStringList> shown(const QAbstractItemModel &m)
{
    QList<QStringList> rows;
    QStringList header;
    for (int c = 0; c < m.columnCount(); ++c)
        header.append(m.headerData(c, Qt::Horizontal).toString());
    rows.append(header);
    for (int r = 0; r < m.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m.columnCount(); ++c)
            cells.append(m.data(m.index(r, c)).toString());
        rows.append(cells);
    }
    return rows;
}

} // namespace

class TestTableFile : public QObject
{
    Q_OBJECT

private:
    ProgramFixture m_fx;
    QStringList m_errors;

    QAction *fileAction(const QString &text)
    {
        for (QAction *a : m_fx.program->window().menuBar()->actions()) {
            if (!a->menu())
                continue;
            for (QAction *item : a->menu()->actions()) {
                if (item->text() == text)
                    return item;
            }
        }
        return nullptr;
    }

private Q_SLOTS:
    void init()
    {
        m_fx.reset();
        writeSetting("autoRefresh", "0");
        writeSetting("startInTray", "0");
        m_errors.clear();
        // The program refreshes once by itself after start-up; the table is
        // replaced only after that.
        m_fx.createStarted();
        QVERIFY(!m_fx.program->oneTime().isActive());
        ConnectionTableModel &table = m_fx.program->window().tableModel();
        table.clear();
        std::vector<ConnectionRecord> rows;
        for (int n = 1; n <= 200; ++n)
            rows.push_back(record(n));
        table.appendRecords(std::move(rows));
        m_fx.program->tableCommands()->setErrorReporter(
            [this](const QString &message) { m_errors.append(message); });
    }
    void cleanup() { m_fx.destroy(); }

    void saveEveryFormatAndReadItBack()
    {
        QAction *save = fileAction(QStringLiteral("&Save connections to file"));
        QVERIFY(save && save->isEnabled());
        // As the user sees it: sorted by local port, highest first.
        QTableView *lv = m_fx.program->window().pane().lv;
        lv->sortByColumn(ConnectionTableModel::ColLocalPort, Qt::DescendingOrder);
        const QList<QStringList> expected = shown(*lv->model());
        QCOMPARE(expected.size(), 201);
        QCOMPARE(expected[1][2], QStringLiteral("1224"));

        const char *const names[] = {"t.txt", "t.htm", "t.doc", "t.xls", "t.csv"};
        for (int index = 1; index <= 5; ++index) {
            const QString path = m_fx.filePath(QString::fromLatin1(names[index - 1]));
            m_fx.program->tableCommands()->chooseFile = [&](QString *p, int *i) {
                *p = path;
                *i = index;
                return true;
            };
            save->trigger();
            QVERIFY2(m_errors.isEmpty(), qPrintable(m_errors.join(QLatin1Char('\n'))));
            const QByteArray bytes = readAll(path);
            QVERIFY2(!bytes.isEmpty(), names[index - 1]);
            bool ok = true;
            QList<QStringList> rows;
            switch (index) {
            case 1: {
                const QList<QByteArray> lines = bytes.trimmed().split('\n');
                QCOMPARE(lines.size(), 201);
                QVERIFY(lines[0].startsWith("#\tRemote Addr\tLocal Port"));
                QVERIFY(lines[1].contains("1224"));
                continue;
            }
            case 2: {
                // The header prepared from the shipped template leads the page.
                const QByteArray header =
                    readAll(Paths::userFile(QStringLiteral("wvnPrefix2.htm")));
                QVERIFY(!header.isEmpty() && bytes.contains(header));
                rows = wv::test::readHtmlTable(QByteArray(bytes).replace(header, ""), &ok);
                break;
            }
            case 3:
                rows = wv::test::readRtfTable(bytes, &ok);
                break;
            case 4:
                rows = wv::test::readSpreadsheetXml(bytes, &ok);
                break;
            case 5:
                rows = wv::test::readCsv(bytes, &ok);
                break;
            }
            QVERIFY2(ok, names[index - 1]);
            if (index == 5) {
                // Formulas are kept from spreadsheets with a leading apostrophe.
                for (QStringList &r : rows) {
                    for (QString &c : r) {
                        if (c.startsWith(QLatin1String("'=")))
                            c.remove(0, 1);
                    }
                }
            }
            QCOMPARE(rows, expected);
        }
    }

    void theDialogsFilterGivesFormatAndExtension()
    {
        auto *commands = m_fx.program->tableCommands();
        QFileDialog *save1 = commands->save1;
        QCOMPARE(save1->windowTitle(), QStringLiteral("Save connection list to file"));
        save1->setOption(QFileDialog::DontUseNativeDialog);
        const QString base = m_fx.filePath(QStringLiteral("chosen"));
        QTimer::singleShot(0, save1, [&] {
            save1->selectNameFilter(save1->nameFilters().at(4));
            save1->selectFile(base);
            QMetaObject::invokeMethod(save1, "accept");
        });
        commands->SaveConnectionsToFile();
        QVERIFY(m_errors.isEmpty());
        bool ok = false;
        QCOMPARE(wv::test::readCsv(readAll(base + QStringLiteral(".csv")), &ok).size(), 201);
        QVERIFY(ok);
    }

    void cancelledSaveWritesNothingAndFailureIsReported()
    {
        auto *commands = m_fx.program->tableCommands();
        commands->chooseFile = [](QString *, int *) { return false; };
        commands->SaveConnectionsToFile();
        QVERIFY(m_errors.isEmpty());
        QVERIFY(!QFile::exists(Paths::userFile(QStringLiteral("wvnPrefix2.htm"))));

        commands->chooseFile = [this](QString *p, int *i) {
            *p = m_fx.filePath(QStringLiteral("missing/folder/t.csv"));
            *i = 5;
            return true;
        };
        commands->SaveConnectionsToFile();
        QCOMPARE(m_errors.size(), 1);
    }

    void printsToPdfInPortrait()
    {
        QAction *print = fileAction(QStringLiteral("&Print connection table..."));
        QVERIFY(print && print->isEnabled());
        const QString pdf = m_fx.filePath(QStringLiteral("table.pdf"));
        QString docName;
        QPageLayout::Orientation orientation = QPageLayout::Landscape;
        m_fx.program->tableCommands()->choosePrinter = [&](QPrinter &printer) {
            docName = printer.docName();
            orientation = printer.pageLayout().orientation();
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setPageSize(QPageSize(QPageSize::A4));
            return true;
        };
        print->trigger();
        QVERIFY(m_errors.isEmpty());
        QCOMPARE(docName, QStringLiteral("WVN Table"));
        QCOMPARE(orientation, QPageLayout::Portrait);
        const QByteArray bytes = readAll(pdf);
        QVERIFY(bytes.startsWith("%PDF-"));

        // The file has the pages the printing reports: 200 rows of 9 points
        // take three to five A4 pages, depending on the machine's fonts.
        const int pages = pdfPages(bytes);
        QVERIFY2(pages >= 3 && pages <= 5, qPrintable(QString::number(pages)));
        QPrinter again(QPrinter::HighResolution);
        again.setOutputFormat(QPrinter::PdfFormat);
        again.setOutputFileName(m_fx.filePath(QStringLiteral("again.pdf")));
        again.setPageSize(QPageSize(QPageSize::A4));
        QCOMPARE(
            ConnectionTableCommands::printTable(*m_fx.program->window().pane().lv->model(), again),
            pages);

        // The same table of one row fits on one page; an empty table prints
        // its header alone.
        for (int rows : {1, 0}) {
            QStandardItemModel small(rows, 8);
            if (rows)
                small.setItem(0, 0, new QStandardItem(QStringLiteral("1")));
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(m_fx.filePath(QStringLiteral("small.pdf")));
            printer.setPageSize(QPageSize(QPageSize::A4));
            QCOMPARE(ConnectionTableCommands::printTable(small, printer), 1);
            QCOMPARE(pdfPages(readAll(printer.outputFileName())), 1);
        }
    }
};

QTEST_MAIN(TestTableFile)
#include "test_tablefile.moc"
