#include "tools/porttest/ui/TerminalWidget.h"

#include "tools/porttest/TelnetSession.h"
#include "tools/porttest/TerminalScreen.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>

namespace wv {

TerminalWidget::TerminalWidget(QWidget *parent)
    : QWidget(parent), m_screen(new TerminalScreen(TerminalScreen::DefaultRows,
                                                   TerminalScreen::DefaultColumns, this)),
      m_session(new TelnetSession(this))
{
    setObjectName(QStringLiteral("tn"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    setFont(font);
    const QFontMetrics fm(font);
    m_cellWidth = qMax(1, fm.horizontalAdvance(QLatin1Char('M')));
    m_cellHeight = qMax(1, fm.height());
    m_ascent = fm.ascent();
    m_session->setWindowSize(m_screen->columns(), m_screen->rows());

    connect(m_screen, &TerminalScreen::changed, this, qOverload<>(&QWidget::update));
    connect(m_screen, &TerminalScreen::output, m_session, &TelnetSession::send);
    connect(m_session, &TelnetSession::dataAvailable, m_screen, &TerminalScreen::feed);
    connect(m_session, &TelnetSession::terminalMessage, m_screen, &TerminalScreen::showMessage);
}

TerminalWidget::~TerminalWidget() = default;

void TerminalWidget::setTextColor(QColor color)
{
    m_screen->setDefaultColors(color.rgb(), TerminalScreen::Black);
}

QSize TerminalWidget::sizeHint() const
{
    return {m_cellWidth * m_screen->columns() + 4, m_cellHeight * m_screen->rows() + 4};
}

void TerminalWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRgb bg = m_screen->defaultBackground();
    p.fillRect(rect(), QColor(bg));
    p.setFont(font());
    const int x0 = 2;
    const int y0 = 2;
    const int curRow = m_screen->cursorRow();
    const int curCol = m_screen->cursorColumn();
    for (int r = 0; r < m_screen->rows(); ++r) {
        const int y = y0 + r * m_cellHeight;
        if (y > height())
            break;
        for (int c = 0; c < m_screen->columns(); ++c) {
            const TerminalScreen::Cell cell = m_screen->cell(r, c);
            if (cell.width == 0)
                continue;
            QRgb fg = cell.foreground;
            QRgb back = cell.background;
            if (cell.reverse)
                std::swap(fg, back);
            const bool cursorHere =
                r == curRow && c == curCol && m_screen->cursorVisible() && hasFocus();
            if (cursorHere)
                std::swap(fg, back);
            const int x = x0 + c * m_cellWidth;
            const int w = m_cellWidth * qMax(1, cell.width);
            if (back != bg || cursorHere)
                p.fillRect(x, y, w, m_cellHeight, QColor(back));
            if (!cell.text.isEmpty() && cell.text != QLatin1String(" ")) {
                QFont f = font();
                f.setBold(cell.bold);
                f.setUnderline(cell.underline);
                p.setFont(f);
                p.setPen(QColor(fg));
                p.drawText(x, y + m_ascent, cell.text);
            }
        }
    }
    if (!hasFocus() && m_screen->cursorVisible()) {
        p.setPen(QColor(m_screen->defaultForeground()));
        p.drawRect(x0 + curCol * m_cellWidth, y0 + curRow * m_cellHeight, m_cellWidth - 1,
                   m_cellHeight - 1);
    }
}

void TerminalWidget::keyPressEvent(QKeyEvent *event)
{
    int mods = TerminalScreen::NoModifier;
    if (event->modifiers() & Qt::ShiftModifier)
        mods |= TerminalScreen::Shift;
    if (event->modifiers() & Qt::ControlModifier)
        mods |= TerminalScreen::Control;
    if (event->modifiers() & Qt::AltModifier)
        mods |= TerminalScreen::Alt;
    using K = TerminalScreen::Key;
    static const QHash<int, K> keys = {
        {Qt::Key_Return, K::Enter},
        {Qt::Key_Enter, K::Enter},
        {Qt::Key_Tab, K::Tab},
        {Qt::Key_Backtab, K::Tab},
        {Qt::Key_Backspace, K::Backspace},
        {Qt::Key_Escape, K::Escape},
        {Qt::Key_Up, K::Up},
        {Qt::Key_Down, K::Down},
        {Qt::Key_Left, K::Left},
        {Qt::Key_Right, K::Right},
        {Qt::Key_Insert, K::Insert},
        {Qt::Key_Delete, K::Delete},
        {Qt::Key_Home, K::Home},
        {Qt::Key_End, K::End},
        {Qt::Key_PageUp, K::PageUp},
        {Qt::Key_PageDown, K::PageDown},
        {Qt::Key_F1, K::F1},
        {Qt::Key_F2, K::F2},
        {Qt::Key_F3, K::F3},
        {Qt::Key_F4, K::F4},
        {Qt::Key_F5, K::F5},
        {Qt::Key_F6, K::F6},
        {Qt::Key_F7, K::F7},
        {Qt::Key_F8, K::F8},
        {Qt::Key_F9, K::F9},
        {Qt::Key_F10, K::F10},
        {Qt::Key_F11, K::F11},
        {Qt::Key_F12, K::F12},
    };
    const auto it = keys.constFind(event->key());
    if (it != keys.constEnd()) {
        m_screen->typeKey(*it, mods);
        event->accept();
        return;
    }
    if ((mods & TerminalScreen::Control) && event->key() >= Qt::Key_A &&
        event->key() <= Qt::Key_Z) {
        // Ctrl+letter is the control character, whatever the layout's text.
        m_screen->typeText(QString(QChar(u'a' + (event->key() - Qt::Key_A))), mods);
        event->accept();
        return;
    }
    if (!event->text().isEmpty()) {
        m_screen->typeText(event->text(), mods & ~TerminalScreen::Shift);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TerminalWidget::focusNextPrevChild(bool)
{
    // Tab belongs to the remote side while the terminal has the focus.
    return false;
}

void TerminalWidget::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    QWidget::mousePressEvent(event);
}

} // namespace wv
