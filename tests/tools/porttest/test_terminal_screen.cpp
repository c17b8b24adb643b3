// The port tester's terminal screen (libvterm): line ends, keys as a VT100
// sends them, local echo, colours, and the plain-text form of what a
// service sent.
#include "tools/porttest/PlainText.h"
#include "tools/porttest/TerminalScreen.h"

#include <gtest/gtest.h>

using namespace wv;
using Key = TerminalScreen::Key;

TEST(TerminalScreen, LineEndsBareAndPaired)
{
    struct Case
    {
        const char *name;
        QByteArray in;
        QString text;
    };
    const Case cases[] = {
        {"CR LF is one line end", "one\r\ntwo\r\n", QStringLiteral("one\ntwo")},
        {"bare CR adds a line feed", "one\rtwo", QStringLiteral("one\ntwo")},
        {"bare LF adds a carriage return", "one\ntwo", QStringLiteral("one\ntwo")},
        {"LF CR is one line end", "one\n\rtwo", QStringLiteral("one\ntwo")},
        {"two CR LF make a blank line", "one\r\n\r\ntwo", QStringLiteral("one\n\ntwo")},
        {"telnet CR NUL", QByteArray("one\r\0two", 8), QStringLiteral("one\ntwo")},
    };
    for (const Case &c : cases) {
        TerminalScreen s;
        s.feed(c.in);
        EXPECT_EQ(s.text(), c.text) << c.name;
    }
    // A pair split over two reads is still one line end.
    TerminalScreen s;
    s.feed("one\r");
    s.feed("\ntwo");
    EXPECT_EQ(s.text(), QStringLiteral("one\ntwo"));
}

TEST(TerminalScreen, SizeNoScrollbackAndColours)
{
    TerminalScreen s;
    EXPECT_EQ(s.rows(), 25);
    EXPECT_EQ(s.columns(), 80);
    for (int i = 0; i < 30; ++i)
        s.feed(QByteArray("line ") + QByteArray::number(i) + "\r\n");
    EXPECT_EQ(s.rowText(0), QStringLiteral("line 6"));
    EXPECT_EQ(s.rowText(23), QStringLiteral("line 29"));
    const auto cell = s.cell(0, 0);
    EXPECT_EQ(cell.text, QStringLiteral("l"));
    EXPECT_EQ(cell.foreground, 0xff00ff00u);
    EXPECT_EQ(cell.background, 0xff000000u);

    s.feed("\x1b[31mred\x1b[0m");
    EXPECT_NE(s.cell(24, 0).foreground, 0xff00ff00u);
    EXPECT_EQ(s.cell(24, 3).foreground, 0xff00ff00u);
    // Cursor addressing and erasing work as on a VT100.
    s.feed("\x1b[2J\x1b[5;10Hhere");
    EXPECT_EQ(s.rowText(4), QStringLiteral("         here"));
    EXPECT_EQ(s.cursorRow(), 4);
    EXPECT_EQ(s.cursorColumn(), 13);
}

TEST(TerminalScreen, KeysAsAVt100SendsThem)
{
    TerminalScreen s;
    QByteArray sent;
    QObject::connect(&s, &TerminalScreen::output, [&](const QByteArray &b) { sent += b; });
    const std::pair<Key, QByteArray> keys[] = {
        {Key::Up, "\x1b[A"},      {Key::Down, "\x1b[B"},    {Key::Right, "\x1b[C"},
        {Key::Left, "\x1b[D"},    {Key::F1, "\x1bOP"},      {Key::F4, "\x1bOS"},
        {Key::F5, "\x1b[15~"},    {Key::F12, "\x1b[24~"},   {Key::Enter, "\r\n"},
        {Key::Tab, "\t"},         {Key::Escape, "\x1b"},    {Key::Delete, "\x1b[3~"},
        {Key::PageUp, "\x1b[5~"}, {Key::Backspace, "\x7f"},
    };
    for (const auto &[key, bytes] : keys) {
        sent.clear();
        s.typeKey(key);
        EXPECT_EQ(sent, bytes) << int(key);
    }
    // In cursor-key application mode (set by the remote side) the arrows
    // change their form.
    s.feed("\x1b[?1h");
    sent.clear();
    s.typeKey(Key::Up);
    EXPECT_EQ(sent, QByteArray("\x1bOA"));

    sent.clear();
    s.typeText(QStringLiteral("ls"));
    s.typeText(QStringLiteral("c"), TerminalScreen::Control);
    EXPECT_EQ(sent, QByteArray("ls\x03"));
    EXPECT_EQ(s.text(), QString()); // no local echo by default
}

TEST(TerminalScreen, LocalEchoShowsTypedText)
{
    TerminalScreen s;
    s.setLocalEcho(true);
    QByteArray sent;
    QObject::connect(&s, &TerminalScreen::output, [&](const QByteArray &b) { sent += b; });
    s.typeText(QStringLiteral("HELO x"));
    s.typeKey(Key::Enter);
    s.typeText(QStringLiteral("QUIT"));
    EXPECT_EQ(sent, QByteArray("HELO x\r\nQUIT"));
    EXPECT_EQ(s.text(), QStringLiteral("HELO x\nQUIT"));
    s.showMessage(QStringLiteral("Connection refused"));
    EXPECT_EQ(s.rowText(2), QStringLiteral("Connection refused"));
}

TEST(PlainText, ControlSequencesGoLineEndsStay)
{
    EXPECT_EQ(plainText("SSH-2.0-dropbear_2022.83\r\n"),
              QStringLiteral("SSH-2.0-dropbear_2022.83\n"));
    EXPECT_EQ(plainText("\x1b[1;32mgreen\x1b[0m\r\x1b]0;title\x07ok\n\rx\ty"),
              QStringLiteral("green\nok\nx\ty"));
    EXPECT_EQ(plainText("a\x01\x08"
                        "b\x7f"),
              QStringLiteral("ab"));
    EXPECT_EQ(plainText("caf\xe9"), QStringLiteral("caf\u00e9"));
    EXPECT_EQ(plainText("\x1b"), QString());
}
