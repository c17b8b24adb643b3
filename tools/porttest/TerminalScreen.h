#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

struct VTerm;
struct VTermScreen;

namespace wv {

// A colour as 0xAARRGGBB (the layout of TermRgb, without linking QtGui).
using TermRgb = quint32;

// The port tester's terminal screen: a VT100 emulation (libvterm) of a fixed
// size with no scroll-back. Received bytes go in through feed(); keys typed
// by the user come out, encoded as a VT100 sends them, through output().
class TerminalScreen : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultRows = 25;
    static constexpr int DefaultColumns = 80;
    static constexpr TermRgb BrightGreen = 0xff00ff00;
    static constexpr TermRgb Black = 0xff000000;

    enum class Key
    {
        Enter,
        Tab,
        Backspace,
        Escape,
        Up,
        Down,
        Left,
        Right,
        Insert,
        Delete,
        Home,
        End,
        PageUp,
        PageDown,
        F1,
        F2,
        F3,
        F4,
        F5,
        F6,
        F7,
        F8,
        F9,
        F10,
        F11,
        F12
    };
    enum Modifier
    {
        NoModifier = 0,
        Shift = 1,
        Alt = 2,
        Control = 4
    };

    struct Cell
    {
        QString text; // empty for a blank cell
        TermRgb foreground = BrightGreen;
        TermRgb background = Black;
        bool bold = false;
        bool underline = false;
        bool reverse = false;
        int width = 1;
    };

    explicit TerminalScreen(int rows = DefaultRows, int columns = DefaultColumns,
                            QObject *parent = nullptr);
    ~TerminalScreen() override;

    int rows() const { return m_rows; }
    int columns() const { return m_columns; }

    // The colours of text that sets none itself.
    void setDefaultColors(TermRgb foreground, TermRgb background);
    TermRgb defaultForeground() const { return m_fg; }
    TermRgb defaultBackground() const { return m_bg; }

    // A received carriage return also moves to the next line, a received line
    // feed also returns to the first column; a CR LF (or LF CR) pair is one
    // line end.
    void setAutoLineFeed(bool on) { m_autoLf = on; }
    void setAutoCarriageReturn(bool on) { m_autoCr = on; }
    // Typed text is shown on the screen as well as sent.
    void setLocalEcho(bool on) { m_localEcho = on; }
    bool localEcho() const { return m_localEcho; }

    // Bytes from the remote side (UTF-8 or plain ASCII).
    void feed(const QByteArray &bytes);
    // A message of the terminal itself, on a line of its own.
    void showMessage(const QString &text);
    // Empties the screen and puts the cursor home.
    void clear();

    // Keys typed by the user.
    void typeText(const QString &text, int modifiers = NoModifier);
    void typeKey(Key key, int modifiers = NoModifier);

    Cell cell(int row, int column) const;
    // The characters of one row, trailing blanks removed.
    QString rowText(int row) const;
    // Every row, joined by "\n", trailing blank rows removed.
    QString text() const;
    int cursorRow() const;
    int cursorColumn() const;
    bool cursorVisible() const { return m_cursorVisible; }

Q_SIGNALS:
    // Bytes for the remote side.
    void output(const QByteArray &bytes);
    // Part of the screen changed (delivered once per feed or key).
    void changed();
    void bell();

private:
    struct Callbacks;
    friend struct Callbacks;
    QByteArray applyLineEnds(const QByteArray &bytes);
    void write(const QByteArray &bytes);
    void flush();

    VTerm *m_vt = nullptr;
    VTermScreen *m_screen = nullptr;
    int m_rows;
    int m_columns;
    TermRgb m_fg = BrightGreen;
    TermRgb m_bg = Black;
    bool m_autoLf = true;
    bool m_autoCr = true;
    bool m_localEcho = false;
    bool m_cursorVisible = true;
    char m_lastLineEnd = 0; // '\r' or '\n' when the last byte fed was one
    bool m_dirty = false;
    QByteArray m_pendingOutput;
    bool m_typing = false;
};

} // namespace wv
