#pragma once

#include <QObject>
#include <QString>

namespace wv {

// The program's debug trace: one line per call, kept in memory for the debug
// window. Lines are recorded only while the trace is enabled (the
// "Debug window" option); once the text has grown past 30000 characters the
// next line starts it afresh.
class DebugTrace : public QObject
{
    Q_OBJECT
public:
    static constexpr qsizetype MaxChars = 30000;

    explicit DebugTrace(QObject *parent = nullptr);

    void setEnabled(bool on);
    bool isEnabled() const { return m_enabled; }
    void log(const QString &line);
    void clear();
    const QString &text() const { return m_text; }

Q_SIGNALS:
    void lineAdded(const QString &line);
    void cleared();

private:
    bool m_enabled = false;
    QString m_text;
};

// The one process-wide trace (the debug window shows it).
DebugTrace &debugTrace();

} // namespace wv

// Writes one line to the process-wide debug trace.
void DebugLog(const QString &line);
