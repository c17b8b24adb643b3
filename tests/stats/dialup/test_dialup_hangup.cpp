#include "stats/dialup/DialUp.h"
#include "tests/support/TestHome.h"

#include <gtest/gtest.h>

#include <QFile>

namespace wv {
namespace {

using test::HomeTest;

TEST(DialUpLink, OnlyDialUpConnectionsAreCounted)
{
    const QByteArray out = "1111-aaaa:802-3-ethernet\n"
                           "2222-bbbb:gsm\n"
                           "3333-cccc:802-11-wireless\n"
                           "4444-dddd:pppoe\n"
                           "garbage\n\n";
    EXPECT_EQ(DialUpLink::parseActive(out), QStringList({"2222-bbbb", "4444-dddd"}));
    EXPECT_TRUE(DialUpLink::parseActive("1111-aaaa:802-3-ethernet\n").isEmpty());
}

// A stand-in for nmcli that lists two modems and records what it is asked.
TEST_F(HomeTest, HangUpBringsTheLastModemDown)
{
    const QString calls = home.file(QStringLiteral("calls.txt"));
    const QString script = home.file(QStringLiteral("nmcli"));
    test::writeFile(script, "#!/bin/sh\n"
                            "echo \"$*\" >> '" +
                                calls.toUtf8() +
                                "'\n"
                                "if [ \"$1\" = -t ]; then\n"
                                "  printf '1111:gsm\\n2222:802-3-ethernet\\n3333:cdma\\n'\n"
                                "fi\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    DialUpLink link(script);
    EXPECT_TRUE(link.HangUpLast());
    EXPECT_EQ(QString::fromUtf8(test::readFile(calls)),
              QStringLiteral("-t -f UUID,TYPE connection show --active\n"
                             "connection down uuid 3333\n"));

    // Without nmcli nothing is hung up and nothing fails.
    EXPECT_FALSE(DialUpLink(home.file(QStringLiteral("missing"))).HangUpLast());
}

} // namespace
} // namespace wv
