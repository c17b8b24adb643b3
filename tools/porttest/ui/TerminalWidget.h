#pragma once

#include <QWidget>

namespace wv {

class TelnetSession;
class TerminalScreen;

// The port tester's terminal control: draws a TerminalScreen cell by cell in
// a fixed-pitch font and sends the keys typed into it to the remote side,
// cursor and function keys encoded as a VT100 sends them.
class TerminalWidget : public QWidget
{
    Q_OBJECT
public:
    explicit TerminalWidget(QWidget *parent = nullptr);
    ~TerminalWidget() override;

    TerminalScreen &screen() { return *m_screen; }
    TelnetSession &session() { return *m_session; }

    // Text colour of the screen (bright green by default) on black.
    void setTextColor(QColor color);

    QSize sizeHint() const override;
    QSize cellSize() const { return {m_cellWidth, m_cellHeight}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    TerminalScreen *m_screen;
    TelnetSession *m_session;
    int m_cellWidth = 8;
    int m_cellHeight = 16;
    int m_ascent = 12;
};

} // namespace wv
