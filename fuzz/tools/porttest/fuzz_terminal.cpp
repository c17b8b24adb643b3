// Arbitrary bytes from a remote service through the port tester's telnet
// parser into its terminal screen, and through the plain-text form the
// companion prints. Nothing may crash, the screen keeps its size and every
// cell stays readable.
#include "tools/porttest/PlainText.h"
#include "tools/porttest/TelnetSession.h"
#include "tools/porttest/TerminalScreen.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_terminal";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    wv::TelnetSession session;
    wv::TerminalScreen screen;
    QObject::connect(&session, &wv::TelnetSession::dataAvailable, &screen,
                     &wv::TerminalScreen::feed);
    // Split in two so that sequences cut between reads are exercised too.
    const qsizetype half = bytes.size() / 2;
    session.receive(bytes.left(half));
    session.receive(bytes.mid(half));
    screen.feed(bytes);
    if (screen.rows() != 25 || screen.columns() != 80)
        __builtin_trap();
    if (screen.cursorRow() < 0 || screen.cursorRow() >= 25 || screen.cursorColumn() < 0 ||
        screen.cursorColumn() >= 80)
        __builtin_trap();
    (void)screen.text();
    const QString plain = wv::plainText(bytes);
    for (const QChar c : plain) {
        if (c.unicode() < 0x20 && c != QLatin1Char('\n') && c != QLatin1Char('\t'))
            __builtin_trap();
    }
    return 0;
}
