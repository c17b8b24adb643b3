#include "settings/DebugTrace.h"
#include "settings/Paths.h"
#include "settings/programs/ProgramLauncher.h"
#include "settings/programs/ProgramsList.h"
#include "settings/programs/ProgramsMenu.h"
#include "settings/programs/ProgramsModel.h"
#include "tests/support/TestHome.h"

#include <QAbstractItemModelTester>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

using namespace wv;

namespace {

QVector<ProgramEntry> entries(std::initializer_list<std::pair<const char *, const char *>> list)
{
    QVector<ProgramEntry> out;
    for (const auto &[n, p] : list)
        out.append({QString::fromUtf8(n), QString::fromUtf8(p)});
    return out;
}

// Waits (bounded) for a file written by a detached process.
QByteArray waitForFile(const QString &path)
{
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly)) {
            const QByteArray content = f.readAll();
            if (content.endsWith('\n'))
                return content;
        }
        QThread::msleep(20);
    }
    return {};
}

} // namespace

class ProgramsTest : public test::HomeTest
{
protected:
    ProgramsList programs;
};

TEST_F(ProgramsTest, NamesAreUniqueAndOrderIsKept)
{
    EXPECT_EQ(programs.filePath(), Paths::userFile(QStringLiteral("wvnprogs.ini")));
    ASSERT_TRUE(programs.addProgram(QStringLiteral("Editor"), QStringLiteral("/usr/bin/vi")));
    ASSERT_TRUE(programs.addProgram(QStringLiteral(" Shell "), QStringLiteral(" /bin/sh ")));
    ASSERT_TRUE(programs.addProgram(QStringLiteral("editor"), QStringLiteral("/usr/bin/nano")));
    EXPECT_EQ(programs.entries(), entries({{"Editor", "/usr/bin/nano"}, {"Shell", "/bin/sh"}}));

    // Another object on the same file sees the same list.
    EXPECT_EQ(ProgramsList().entries(), programs.entries());

    ASSERT_TRUE(programs.deleteProgram(QStringLiteral("EDITOR")));
    EXPECT_EQ(programs.entries(), entries({{"Shell", "/bin/sh"}}));
    ASSERT_TRUE(programs.clearAll());
    EXPECT_TRUE(programs.entries().isEmpty());
}

TEST_F(ProgramsTest, EditRenamesWithoutLeavingTheOldEntry)
{
    programs.addProgram(QStringLiteral("Calc"), QStringLiteral("/usr/bin/bc"));
    programs.addProgram(QStringLiteral("Top"), QStringLiteral("/usr/bin/top"));
    ASSERT_TRUE(programs.editProgram(QStringLiteral("Calc"), QStringLiteral("Calculator"),
                                     QStringLiteral("/usr/bin/dc")));
    EXPECT_EQ(programs.entries(),
              entries({{"Top", "/usr/bin/top"}, {"Calculator", "/usr/bin/dc"}}));
    // Same name, other case, new path: one entry, in place.
    ASSERT_TRUE(programs.editProgram(QStringLiteral("Top"), QStringLiteral("TOP"),
                                     QStringLiteral("/usr/bin/htop")));
    EXPECT_EQ(programs.entries(),
              entries({{"Top", "/usr/bin/htop"}, {"Calculator", "/usr/bin/dc"}}));
}

TEST_F(ProgramsTest, RefusesWhatTheFileCannotHold)
{
    programs.addProgram(QStringLiteral("Keep"), QStringLiteral("/bin/true"));
    const QByteArray before = test::readFile(programs.filePath());
    const std::pair<const char *, const char *> bad[] = {
        {"", "/bin/true"},           {"   ", "/bin/true"},           {"Name", ""},
        {"a=b", "/bin/true"},        {"[x]", "/bin/true"},           {";c", "/bin/true"},
        {"two\nlines", "/bin/true"}, {"Name", "/bin/true\n[Other]"},
    };
    for (const auto &[name, path] : bad) {
        EXPECT_FALSE(programs.addProgram(QString::fromUtf8(name), QString::fromUtf8(path)))
            << name << " / " << path;
        EXPECT_FALSE(programs.lastError().isEmpty());
    }
    EXPECT_EQ(test::readFile(programs.filePath()), before);
    // A failed edit leaves the old entry in place.
    EXPECT_FALSE(programs.editProgram(QStringLiteral("Keep"), QStringLiteral("a=b"),
                                      QStringLiteral("/bin/false")));
    EXPECT_EQ(programs.entries(), entries({{"Keep", "/bin/true"}}));
}

TEST_F(ProgramsTest, MenuAndListFollowTheFile)
{
    debugTrace().setEnabled(true);
    debugTrace().clear();
    EXPECT_TRUE(RefreshProgramsMenu(programs).isEmpty());
    EXPECT_EQ(debugTrace().text(),
              QStringLiteral("RefreshProgramsMenu;\ngts.count = 0, no programs, skipping."));

    ProgramsModel model(programs);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.RefreshPrograms();
    EXPECT_EQ(model.rowCount(), 0);

    programs.addProgram(QStringLiteral("Zed"), QStringLiteral("/opt/zed/bin/zed"));
    programs.addProgram(QStringLiteral("Alpha & Co"), QStringLiteral("/opt/my tools/alpha"));
    const QVector<ProgramMenuEntry> menu = RefreshProgramsMenu(programs);
    ASSERT_EQ(menu.size(), 2);
    EXPECT_EQ(menu[0].caption, QStringLiteral("Zed"));
    EXPECT_EQ(menu[0].objectName, QStringLiteral("progMenu0"));
    EXPECT_EQ(menu[1].hint, QStringLiteral("/opt/my tools/alpha"));
    EXPECT_EQ(menu[1].objectName, QStringLiteral("progMenu1"));

    // The list shows the file as of its last refresh.
    EXPECT_EQ(model.rowCount(), 0);
    model.RefreshPrograms();
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("EXE"));
    EXPECT_EQ(model.index(1, 0).data().toString(), QStringLiteral("1"));
    EXPECT_EQ(model.index(1, 0).data(ProgramsModel::RawRole).toInt(), 1);
    EXPECT_EQ(model.index(1, 1).data().toString(), QStringLiteral("Alpha & Co"));
    EXPECT_EQ(model.entry(0).path, QStringLiteral("/opt/zed/bin/zed"));
    EXPECT_EQ(model.entry(5), ProgramEntry{});
    debugTrace().setEnabled(false);
}

TEST_F(ProgramsTest, LaunchesAPathWithSpacesAndQuotesInTheUserFolder)
{
    // A folder name that a shell would split, expand or end a quote at.
    const QString folder = home.file(QStringLiteral("My Programs/it's $HOME `x` \"q\""));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString script = folder + QStringLiteral("/run me.sh");
    test::writeFile(script, "#!/bin/sh\npwd > launched.txt\n");
    ASSERT_TRUE(QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner));
    programs.addProgram(QStringLiteral("Runner"), script);
    const QVector<ProgramMenuEntry> menu = RefreshProgramsMenu(programs);
    ASSERT_EQ(menu.size(), 1);

    qint64 pid = 0;
    ASSERT_TRUE(LaunchProgram(menu[0].hint, QString(), &pid));
    EXPECT_GT(pid, 0);
    // The script wrote where it ran: the per-user folder.
    const QByteArray where = waitForFile(Paths::userFile(QStringLiteral("launched.txt")));
    ASSERT_FALSE(where.isEmpty());
    EXPECT_EQ(QDir(QString::fromLocal8Bit(where.trimmed())).canonicalPath(),
              QDir(Paths::userDir()).canonicalPath());
}
