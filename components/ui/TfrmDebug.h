#pragma once

#include "settings/SettingsStore.h"

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace wv {

class DebugTrace;

// The "Debug window": the debug trace, live. Its text starts with two fixed
// lines; "minimize" minimises the window and "clear" empties the trace and
// the text. The window is on screen only while the debug window option is on,
// placed at the screen's left edge; otherwise it is not shown at all (a
// window parked off screen still shows under a window manager, has a task-bar
// entry, and Wayland ignores the move). Closing it hides it.
//
//   m_debug = new TfrmDebug(wv::debugTrace());
//   settingsStore.addSink(m_debug);                 // ProcessOptions shows or hides it
class TfrmDebug : public QWidget, public OptionsSink
{
    Q_OBJECT
public:
    explicit TfrmDebug(DebugTrace &trace, QWidget *parent = nullptr);

    // Shows the window at the screen's left edge, or hides it.
    void setOnScreen(bool on);
    bool isOnScreen() const { return m_onScreen; }

    QString text() const;
    QPushButton *minimizeButton() const { return btnMinimize; }
    QPushButton *clearButton() const { return btnClear; }

    static QStringList headerLines();

    // Follows the debug window option.
    void applyExtras(const Settings &settings) override;

public Q_SLOTS:
    void btnMinimizeClick();
    void btnClearClick();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void addLine(const QString &line);
    void restart();

    DebugTrace &m_trace;
    QPlainTextEdit *memo;
    QPushButton *btnMinimize;
    QPushButton *btnClear;
    bool m_onScreen = false;
};

} // namespace wv
