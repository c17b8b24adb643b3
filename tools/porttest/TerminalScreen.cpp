#include "tools/porttest/TerminalScreen.h"

#include <vterm.h>

namespace wv {

struct TerminalScreen::Callbacks
{
    static int damage(VTermRect, void *user)
    {
        static_cast<TerminalScreen *>(user)->m_dirty = true;
        return 1;
    }
    static int moveCursor(VTermPos, VTermPos, int visible, void *user)
    {
        auto *self = static_cast<TerminalScreen *>(user);
        self->m_dirty = true;
        self->m_cursorVisible = visible != 0;
        return 1;
    }
    static int termProp(VTermProp prop, VTermValue *value, void *user)
    {
        auto *self = static_cast<TerminalScreen *>(user);
        if (prop == VTERM_PROP_CURSORVISIBLE) {
            self->m_cursorVisible = value->boolean != 0;
            self->m_dirty = true;
        }
        return 1;
    }
    static int bell(void *user)
    {
        Q_EMIT static_cast<TerminalScreen *>(user)->bell();
        return 1;
    }
    static void output(const char *bytes, size_t length, void *user)
    {
        static_cast<TerminalScreen *>(user)->m_pendingOutput.append(bytes, qsizetype(length));
    }
    static const VTermScreenCallbacks *table()
    {
        static const VTermScreenCallbacks callbacks = {
            &damage, nullptr, &moveCursor, &termProp, &bell,
            nullptr, // resize: the size is fixed
            nullptr, // no scroll-back
            nullptr,
        };
        return &callbacks;
    }
};

namespace {

VTermColor rgb(TermRgb c)
{
    VTermColor v;
    vterm_color_rgb(&v, uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c));
    return v;
}

} // namespace

TerminalScreen::TerminalScreen(int rows, int columns, QObject *parent)
    : QObject(parent), m_rows(qBound(2, rows, 500)), m_columns(qBound(2, columns, 500))
{
    m_vt = vterm_new(m_rows, m_columns);
    vterm_set_utf8(m_vt, 1);
    vterm_output_set_callback(m_vt, &Callbacks::output, this);
    m_screen = vterm_obtain_screen(m_vt);
    vterm_screen_set_callbacks(m_screen, Callbacks::table(), this);
    vterm_screen_reset(m_screen, 1);
    setDefaultColors(m_fg, m_bg);
}

TerminalScreen::~TerminalScreen()
{
    vterm_free(m_vt);
}

void TerminalScreen::setDefaultColors(TermRgb foreground, TermRgb background)
{
    m_fg = foreground;
    m_bg = background;
    const VTermColor fg = rgb(foreground);
    const VTermColor bg = rgb(background);
    vterm_state_set_default_colors(vterm_obtain_state(m_vt), &fg, &bg);
    m_dirty = true;
    flush();
}

QByteArray TerminalScreen::applyLineEnds(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size() + 16);
    for (const char c : bytes) {
        if (c == '\r' || c == '\n') {
            const char other = c == '\r' ? '\n' : '\r';
            // The second byte of a CR LF or LF CR pair was already supplied.
            if (m_lastLineEnd == other) {
                m_lastLineEnd = 0;
                continue;
            }
            out += c;
            if ((c == '\r' && m_autoLf) || (c == '\n' && m_autoCr))
                out += other;
            m_lastLineEnd = c;
            continue;
        }
        // Telnet sends a bare carriage return as CR NUL; the NUL ends nothing.
        if (c != '\0')
            m_lastLineEnd = 0;
        out += c;
    }
    return out;
}

void TerminalScreen::write(const QByteArray &bytes)
{
    const QByteArray b = applyLineEnds(bytes);
    qsizetype done = 0;
    // vterm_input_write takes everything it is given; the loop guards against
    // a short count all the same.
    for (int round = 0; round < 1000 && done < b.size(); ++round) {
        const size_t n = vterm_input_write(m_vt, b.constData() + done, size_t(b.size() - done));
        if (n == 0)
            break;
        done += qsizetype(n);
    }
}

void TerminalScreen::feed(const QByteArray &bytes)
{
    write(bytes);
    flush();
}

void TerminalScreen::showMessage(const QString &text)
{
    QByteArray line;
    if (cursorColumn() != 0)
        line += "\r\n";
    line += text.toUtf8() + "\r\n";
    m_lastLineEnd = 0;
    feed(line);
}

void TerminalScreen::clear()
{
    vterm_screen_reset(m_screen, 1);
    setDefaultColors(m_fg, m_bg);
    m_lastLineEnd = 0;
    m_dirty = true;
    flush();
}

void TerminalScreen::flush()
{
    vterm_screen_flush_damage(m_screen);
    if (!m_pendingOutput.isEmpty()) {
        const QByteArray bytes = m_pendingOutput;
        m_pendingOutput.clear();
        Q_EMIT output(bytes);
    }
    if (m_dirty) {
        m_dirty = false;
        Q_EMIT changed();
    }
}

void TerminalScreen::typeText(const QString &text, int modifiers)
{
    QByteArray echo;
    const VTermModifier mod = VTermModifier(modifiers & 7);
    for (const uint code : text.toUcs4()) {
        const char32_t u = code;
        if (u == U'\r' || u == U'\n') {
            typeKey(Key::Enter, modifiers);
            continue;
        }
        vterm_keyboard_unichar(m_vt, uint32_t(u), mod);
        if (m_localEcho && !(modifiers & (Control | Alt)) && u >= 0x20 && u != 0x7f)
            echo += QString::fromUcs4(&u, 1).toUtf8();
    }
    flush();
    if (!echo.isEmpty())
        feed(echo);
}

void TerminalScreen::typeKey(Key key, int modifiers)
{
    const VTermModifier mod = VTermModifier(modifiers & 7);
    if (key == Key::Enter) {
        // Return ends a line the telnet way (CR LF), which line-based services
        // such as SMTP also expect.
        Q_EMIT output(QByteArrayLiteral("\r\n"));
        if (m_localEcho)
            feed(QByteArrayLiteral("\r\n"));
        return;
    }
    VTermKey k = VTERM_KEY_NONE;
    switch (key) {
    case Key::Enter:
        break;
    case Key::Tab:
        k = VTERM_KEY_TAB;
        break;
    case Key::Backspace:
        k = VTERM_KEY_BACKSPACE;
        break;
    case Key::Escape:
        k = VTERM_KEY_ESCAPE;
        break;
    case Key::Up:
        k = VTERM_KEY_UP;
        break;
    case Key::Down:
        k = VTERM_KEY_DOWN;
        break;
    case Key::Left:
        k = VTERM_KEY_LEFT;
        break;
    case Key::Right:
        k = VTERM_KEY_RIGHT;
        break;
    case Key::Insert:
        k = VTERM_KEY_INS;
        break;
    case Key::Delete:
        k = VTERM_KEY_DEL;
        break;
    case Key::Home:
        k = VTERM_KEY_HOME;
        break;
    case Key::End:
        k = VTERM_KEY_END;
        break;
    case Key::PageUp:
        k = VTERM_KEY_PAGEUP;
        break;
    case Key::PageDown:
        k = VTERM_KEY_PAGEDOWN;
        break;
    default:
        k = VTermKey(VTERM_KEY_FUNCTION(1 + int(key) - int(Key::F1)));
        break;
    }
    vterm_keyboard_key(m_vt, k, mod);
    flush();
}

TerminalScreen::Cell TerminalScreen::cell(int row, int column) const
{
    Cell c;
    c.foreground = m_fg;
    c.background = m_bg;
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns)
        return c;
    VTermScreenCell v{};
    if (!vterm_screen_get_cell(m_screen, VTermPos{row, column}, &v))
        return c;
    for (int i = 0; i < VTERM_MAX_CHARS_PER_CELL && v.chars[i]; ++i) {
        const char32_t u = v.chars[i];
        c.text += QString::fromUcs4(&u, 1);
    }
    c.width = v.width;
    c.bold = v.attrs.bold;
    c.underline = v.attrs.underline != 0;
    c.reverse = v.attrs.reverse;
    auto toRgb = [this](VTermColor col, bool isFg) {
        if (isFg ? VTERM_COLOR_IS_DEFAULT_FG(&col) : VTERM_COLOR_IS_DEFAULT_BG(&col))
            return isFg ? m_fg : m_bg;
        vterm_screen_convert_color_to_rgb(m_screen, &col);
        return TermRgb(0xff000000u | (uint(col.rgb.red) << 16) | (uint(col.rgb.green) << 8) |
                       col.rgb.blue);
    };
    c.foreground = toRgb(v.fg, true);
    c.background = toRgb(v.bg, false);
    return c;
}

QString TerminalScreen::rowText(int row) const
{
    QString line;
    for (int col = 0; col < m_columns; ++col) {
        const Cell c = cell(row, col);
        if (c.width == 0)
            continue; // the right half of a double-width character
        line += c.text.isEmpty() ? QStringLiteral(" ") : c.text;
    }
    while (line.endsWith(QLatin1Char(' ')))
        line.chop(1);
    return line;
}

QString TerminalScreen::text() const
{
    QStringList lines;
    for (int r = 0; r < m_rows; ++r)
        lines << rowText(r);
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.join(QLatin1Char('\n'));
}

int TerminalScreen::cursorRow() const
{
    VTermPos pos{};
    vterm_state_get_cursorpos(vterm_obtain_state(m_vt), &pos);
    return qBound(0, pos.row, m_rows - 1);
}

int TerminalScreen::cursorColumn() const
{
    VTermPos pos{};
    vterm_state_get_cursorpos(vterm_obtain_state(m_vt), &pos);
    // Some control sequences leave libvterm's column at -1 for a moment (found
    // by fuzzing); the cursor is drawn inside the screen all the same.
    return qBound(0, pos.col, m_columns - 1);
}

} // namespace wv
