#pragma once

#include "settings/SettingsStore.h"

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace wv {

class DebugTrace;

// The "Debug window": the debug trace, live. Its text starts with two fixed
// lines; "minimize" minimises the window and "clear" empties the trace and
// the text. While the debug window option is off the window stays off the
// screen (left edge -1000, top 0), and closing it puts it back there.
//
//   m_debug = new TfrmDebug(wv::debugTrace());
//   m_debug->show();                                // at start-up, before anything else
//   settingsStore.addSink(m_debug);                 // ProcessOptions moves it on or off screen
//
// Being always shown (off screen at worst), the window keeps Qt from seeing
// the main window as the last one: shut-down ends the event loop itself.
class TfrmDebug : public QWidget, public OptionsSink
{
    Q_OBJECT
public:
    static constexpr int OffScreenLeft = -1000;

    explicit TfrmDebug(DebugTrace &trace, QWidget *parent = nullptr);

    // Moves the window onto the screen or off it.
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
