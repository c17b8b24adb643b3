#include "settings/DebugTrace.h"

#include <cstdio>

namespace wv {

DebugTrace::DebugTrace(QObject *parent) : QObject(parent)
{
    // Mirrors the trace to stderr for people debugging a headless run.
    if (qEnvironmentVariableIsSet("WIREVANE_TRACE"))
        m_enabled = true;
}

void DebugTrace::setEnabled(bool on)
{
    m_enabled = on || qEnvironmentVariableIsSet("WIREVANE_TRACE");
}

void DebugTrace::log(const QString &line)
{
    if (!m_enabled)
        return;
    if (m_text.size() > MaxChars)
        clear();
    if (!m_text.isEmpty())
        m_text += QLatin1Char('\n');
    m_text += line;
    if (qEnvironmentVariableIsSet("WIREVANE_TRACE"))
        std::fprintf(stderr, "trace: %s\n", line.toLocal8Bit().constData());
    Q_EMIT lineAdded(line);
}

void DebugTrace::clear()
{
    m_text.clear();
    Q_EMIT cleared();
}

DebugTrace &debugTrace()
{
    static DebugTrace trace;
    return trace;
}

} // namespace wv

void DebugLog(const QString &line)
{
    wv::debugTrace().log(line);
}
