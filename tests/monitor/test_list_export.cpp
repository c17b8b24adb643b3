#include "monitor/ListExporter.h"
#include "tests/monitor/ExportReaders.h"
#include "tests/support/TestHome.h"

#include <QFileInfo>
#include <QStandardItemModel>

#include <gtest/gtest.h>

using namespace wv;
using Format = ListExporter::Format;

namespace {

ListExporter::Table hostileTable()
{
    ListExporter::Table t;
    t.title = QStringLiteral("Connections <&>");
    t.headers = {QStringLiteral("Host"), QStringLiteral("Port \"local\""), QStringLiteral("Note")};
    t.rows = {
        {QStringLiteral("<script>alert(1)</script>"), QStringLiteral("a,b"),
         QStringLiteral("say \"hi\" & 'bye'")},
        {QStringLiteral("line one\nline two"), QStringLiteral("=1+1"),
         QStringLiteral("+cmd|' /C calc'!A0")},
        {QStringLiteral("-2"), QStringLiteral("@SUM(A1)"),
         QStringLiteral("Zürich 東京 \U0001F600")},
        {QStringLiteral("back\\slash {brace}"), QStringLiteral("tab\there"), QString()},
    };
    return t;
}

QList<QStringList> expectedRows(const ListExporter::Table &t)
{
    QList<QStringList> rows{t.headers};
    rows += t.rows;
    return rows;
}

TEST(ListExport, SpreadsheetXmlKeepsEveryCellAsText)
{
    const auto t = hostileTable();
    bool ok = false;
    const auto rows = test::readSpreadsheetXml(ListExporter::render(Format::Excel, t), &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(rows, expectedRows(t));
}

TEST(ListExport, HtmlShowsCellsLiterally)
{
    const auto t = hostileTable();
    const QByteArray html = ListExporter::render(Format::Html, t);
    EXPECT_FALSE(html.contains("<script>"));
    EXPECT_TRUE(html.contains("&lt;script&gt;"));
    EXPECT_TRUE(html.contains("<title>Connections &lt;&amp;&gt;</title>"));
    bool ok = false;
    const auto rows = test::readHtmlTable(html, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(rows, expectedRows(t));
}

TEST(ListExport, CsvQuotesFieldsAndDefusesFormulas)
{
    const auto t = hostileTable();
    const QByteArray csv = ListExporter::render(Format::Csv, t);
    EXPECT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    bool ok = false;
    const auto rows = test::readCsv(csv, &ok);
    ASSERT_TRUE(ok);
    auto expected = expectedRows(t);
    for (QStringList &r : expected) {
        for (QString &c : r)
            c = ListExporter::neutraliseFormula(c);
    }
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(rows[2][1], QStringLiteral("'=1+1"));
    EXPECT_EQ(rows[3][0], QStringLiteral("'-2"));
    EXPECT_EQ(rows[3][1], QStringLiteral("'@SUM(A1)"));
    EXPECT_EQ(ListExporter::neutraliseFormula(QStringLiteral("a=1")), QStringLiteral("a=1"));
}

TEST(ListExport, RtfIsSevenBitAndReadsBackToTheSameCells)
{
    const auto t = hostileTable();
    bool ok = false;
    const auto rows = test::readRtfTable(ListExporter::render(Format::Word, t), &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(rows, expectedRows(t));
}

TEST(ListExport, PlainTextHasOneLinePerRow)
{
    const auto t = hostileTable();
    const QString text = QString::fromUtf8(ListExporter::render(Format::Text, t));
    const QStringList lines = text.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), t.rows.size() + 2); // header, rows, final empty
    EXPECT_EQ(lines[0], QStringLiteral("Host\tPort \"local\"\tNote"));
    EXPECT_EQ(lines[2].section(QLatin1Char('\t'), 0, 0), QStringLiteral("line one line two"));
    EXPECT_EQ(lines[4].split(QLatin1Char('\t')).size(), 3);
}

TEST(ListExport, BrokenTextNeverBreaksTheMarkup)
{
    ListExporter::Table t;
    t.headers = {QStringLiteral("x")};
    QString nasty = QStringLiteral("a");
    nasty += QChar(0x0001);
    nasty += QChar(0xD800); // unpaired surrogate
    nasty += QChar(0xFFFF);
    nasty += QStringLiteral("\r\n]]>");
    t.rows = {{nasty}};
    bool ok = false;
    test::readSpreadsheetXml(ListExporter::render(Format::Excel, t), &ok);
    EXPECT_TRUE(ok);
    test::readHtmlTable(ListExporter::render(Format::Html, t), &ok);
    EXPECT_TRUE(ok);
    test::readRtfTable(ListExporter::render(Format::Word, t), &ok);
    EXPECT_TRUE(ok);
}

TEST(ListExport, ModelsAndFilesAndFilters)
{
    QStandardItemModel model(2, 2);
    model.setHorizontalHeaderLabels({QStringLiteral("Time"), QStringLiteral("Event")});
    model.setItem(1, 1, new QStandardItem(QStringLiteral("New Conn: x")));
    const auto t = ListExporter::fromModel(model, QStringLiteral("Session Summary"));
    EXPECT_EQ(t.headers, QStringList({"Time", "Event"}));
    ASSERT_EQ(t.rows.size(), 2);
    EXPECT_EQ(t.rows[1][1], QStringLiteral("New Conn: x"));

    test::TestHome home;
    const QString path = home.file(QStringLiteral("out.csv"));
    QString error;
    ASSERT_TRUE(ListExporter::save(path, Format::Csv, t, &error)) << error.toStdString();
    EXPECT_EQ(test::readFile(path), ListExporter::render(Format::Csv, t));
    EXPECT_FALSE(ListExporter::save(home.file(QStringLiteral("missing/dir/out.csv")), Format::Csv,
                                    t, &error));
    EXPECT_FALSE(error.isEmpty());

    EXPECT_EQ(ListExporter::formatForFilterIndex(2), Format::Html);
    EXPECT_FALSE(ListExporter::formatForFilterIndex(6).has_value());
    EXPECT_EQ(ListExporter::formatForFilter(ListExporter::nameFilters().at(4)), Format::Csv);
}

} // namespace
