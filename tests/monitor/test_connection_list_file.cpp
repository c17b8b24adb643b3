#include "monitor/ConnectionListFile.h"
#include "settings/Paths.h"
#include "tests/monitor/ExportReaders.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardItemModel>
#include <QUrl>

#include <gtest/gtest.h>

using namespace wv;
using wv::test::readFile;
using wv::test::writeFile;

namespace {

// Points the data folder at a folder of the test's own for its lifetime.
class DataFolder
{
public:
    DataFolder() : m_old(qgetenv("WIREVANE_DATA"))
    {
        qputenv("WIREVANE_DATA", m_dir.path().toLocal8Bit());
    }
    ~DataFolder() { qputenv("WIREVANE_DATA", m_old); }
    QString file(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private:
    QTemporaryDir m_dir;
    QByteArray m_old;
};

class ConnectionListFileTest : public wv::test::HomeTest
{
protected:
    DataFolder data;
    QStandardItemModel model{0, 2};
    const QDateTime when{QDate(2026, 3, 4), QTime(13, 5, 9)};

    void SetUp() override
    {
        model.setHorizontalHeaderLabels({QStringLiteral("Remote Addr"), QStringLiteral("Status")});
        model.appendRow({new QStandardItem(QStringLiteral("<b>test</b>.example")),
                         new QStandardItem(QStringLiteral("ESTABLISHED"))});
    }
    QString prepared() const { return Paths::userFile(QStringLiteral("wvnPrefix2.htm")); }
};

} // namespace

TEST_F(ConnectionListFileTest, HtmlSaveRewritesThePreparedHeaderFromTheTemplate)
{
    writeFile(data.file("wvnPrefix1.htm"),
              "<p>test and testing</p><img src=\"wvn64.gif\"><img src=\"wvn64.gif\">");
    // A prepared header from an earlier save is replaced, not appended to.
    writeFile(prepared(), "old header, much longer than the new one will be ............");
    const QString target = home.file(QStringLiteral("elsewhere/list.htm"));
    QDir().mkpath(QFileInfo(target).path());

    QString error;
    ASSERT_TRUE(ConnectionListFile::save(model, target, 2, &error, when)) << error.toStdString();

    const QString stamp = ConnectionListFile::stamp(when);
    const QString url = QUrl::fromLocalFile(data.file("wvn64.gif")).toString();
    EXPECT_TRUE(url.startsWith(QStringLiteral("file:///")));
    const QString header = QString::fromUtf8(readFile(prepared()));
    EXPECT_EQ(
        header,
        QStringLiteral("<p>%1 and %1ing</p><img src=\"%2\"><img src=\"%2\">").arg(stamp, url));

    // The page carries the header once and the table, its cells escaped
    // (the "test" of a cell is not the template's).
    QByteArray page = readFile(target);
    EXPECT_EQ(page.count(header.toUtf8()), 1);
    bool ok = false;
    const auto rows = wv::test::readHtmlTable(page.replace(header.toUtf8(), ""), &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1][0], QStringLiteral("<b>test</b>.example"));
}

TEST_F(ConnectionListFileTest, OnlyHtmlTouchesTheTemplate)
{
    // No template at all: the other formats do not need one.
    QString error;
    for (int index : {1, 3, 4, 5}) {
        const QString target = home.file(QStringLiteral("list%1").arg(index));
        ASSERT_TRUE(ConnectionListFile::save(model, target, index, &error)) << error.toStdString();
        EXPECT_TRUE(readFile(target).contains("ESTABLISHED")) << index;
    }
    EXPECT_FALSE(QFileInfo::exists(prepared()));
    EXPECT_FALSE(ConnectionListFile::save(model, home.file(QStringLiteral("x")), 6, &error));
    EXPECT_FALSE(ConnectionListFile::save(model, home.file(QStringLiteral("x")), 0, &error));
}

TEST_F(ConnectionListFileTest, FailuresEndTheSaveWithTheFileError)
{
    const QString target = home.file(QStringLiteral("list.htm"));
    QString error;
    // Missing template.
    EXPECT_FALSE(ConnectionListFile::save(model, target, 2, &error, when));
    EXPECT_TRUE(error.contains(QStringLiteral("wvnPrefix1.htm"))) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(target));

    // The prepared header cannot be written.
    writeFile(data.file("wvnPrefix1.htm"), "<p>test</p>");
    QDir().mkpath(prepared());
    error.clear();
    EXPECT_FALSE(ConnectionListFile::save(model, target, 2, &error, when));
    EXPECT_TRUE(error.contains(QStringLiteral("wvnPrefix2.htm"))) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(target));
    QDir(prepared()).removeRecursively();

    // The target cannot be written.
    const QString missingFolder = home.file(QStringLiteral("no/such/folder/list.csv"));
    error.clear();
    EXPECT_FALSE(ConnectionListFile::save(model, missingFolder, 5, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(ConnectionListHeader, PictureUrlKeepsATestInItsPath)
{
    const QString header = ConnectionListFile::prepareHeader(
        QStringLiteral("test <img src=\"wvn64.gif\">"), QStringLiteral("STAMP"),
        QStringLiteral("/opt/test dir/wvn64.gif"));
    EXPECT_EQ(header, QStringLiteral("STAMP <img src=\"file:///opt/test%20dir/wvn64.gif\">"));
}

TEST(ConnectionListHeader, ShippedTemplateIsPreparedCompletely)
{
    // The template and picture installed with the program.
    const QByteArray shipped = readFile(Paths::dataFile(QStringLiteral("wvnPrefix1.htm")));
    ASSERT_FALSE(shipped.isEmpty());
    ASSERT_TRUE(QFileInfo::exists(Paths::dataFile(QStringLiteral("wvn64.gif"))));
    const QString header = ConnectionListFile::prepareHeader(
        QString::fromUtf8(shipped), QStringLiteral("STAMP"), QStringLiteral("/pic/wvn64.gif"));
    EXPECT_FALSE(header.contains(QStringLiteral("test")));
    EXPECT_TRUE(header.contains(QStringLiteral("STAMP")));
    EXPECT_TRUE(header.contains(QStringLiteral("\"file:///pic/wvn64.gif\"")));
}

TEST(ConnectionListPrint, DateAndPaging)
{
    EXPECT_EQ(ConnectionListFile::printDate(QDateTime(QDate(2026, 3, 4), QTime(13, 5, 9))),
              QStringLiteral("01:05:09 pm  -  03/04/2026"));
    EXPECT_EQ(ConnectionListFile::printDate(QDateTime(QDate(2026, 12, 31), QTime(0, 0, 1))),
              QStringLiteral("12:00:01 am  -  12/31/2026"));

    TablePaging p;
    p.pageHeight = 1000;
    p.titleHeight = 60;
    p.headerHeight = 40;
    p.rowHeight = 30; // 30 rows a page
    EXPECT_EQ(p.rowsPerPage(), 30);
    EXPECT_EQ(p.pageCount(0), 1);
    EXPECT_EQ(p.pageCount(30), 1);
    EXPECT_EQ(p.pageCount(31), 2);
    EXPECT_EQ(p.pageCount(200), 7);
    // Paper too small for a row still prints every row, one a page.
    p.pageHeight = 50;
    EXPECT_EQ(p.pageCount(3), 3);
}
