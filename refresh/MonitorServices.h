#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

namespace wv {

// The services the refresh cycle calls out to. Each has a plain default so
// that the cycle runs headless (the companion, tests) and the window plugs in
// the real resolver, recognized names and summary.

// Cached reverse look-up. May wait in a nested event loop while the
// interface keeps running; returns the name to show (possibly empty).
class HostNameProvider
{
public:
    virtual ~HostNameProvider() = default;
    virtual QString GetHostName(const QString &address) { return address; }
};

// The user's name for a connection, "???" when none applies.
class FriendlyNameProvider
{
public:
    virtual ~FriendlyNameProvider() = default;
    virtual QString GetFriendlyName(const QString & /*hostName*/, const QString & /*remoteAddress*/)
    {
        return QStringLiteral("???");
    }
};

// The session summary: one time-stamped line per event.
class SummarySink
{
public:
    struct Event
    {
        QDateTime when;
        QString text;
    };
    virtual ~SummarySink() = default;
    virtual void AddSummaryEvent(const QString &text)
    {
        m_events.append({QDateTime::currentDateTime(), text});
    }
    const QList<Event> &events() const { return m_events; }
    QStringList texts() const;
    void clear() { m_events.clear(); }

private:
    QList<Event> m_events;
};

// The main status text (status bar panel 0).
class StatusTextSink
{
public:
    virtual ~StatusTextSink() = default;
    virtual void SetStatusText(const QString &text) { m_text = text; }
    const QString &statusText() const { return m_text; }

private:
    QString m_text;
};

// Opens the port information window for a port.
class PortInfoOpener
{
public:
    virtual ~PortInfoOpener() = default;
    virtual void ShowPortInfo(int port);
};

// Runs the user's rules over the table after every refresh.
class RuleEvaluator
{
public:
    virtual ~RuleEvaluator() = default;
    virtual void EvaluateRules() {}
};

// The window's controls the refresh cycle drives. The defaults do nothing,
// so a headless cycle runs without a window.
class RefreshControls
{
public:
    virtual ~RefreshControls() = default;
    virtual void setRefreshEnabled(bool /*on*/) {} // tb1
    virtual void setInfoEnabled(bool /*on*/) {}    // tb2
    virtual bool hasSelectedRow() const { return false; }
    virtual void setBusyCursor(bool /*busy*/) {}
    virtual void setProgress(int /*percent*/) {}
    virtual void setRefresherEnabled(bool /*on*/) {}
    virtual int columnWidth(int /*column*/) const { return 0; }
    virtual void setColumnWidth(int /*column*/, int /*width*/) {}
    // Widens or narrows a column to fit its contents and its header.
    virtual void fitColumn(int /*column*/) {}
    virtual void setTrayHint(const QString & /*text*/) {}
};

} // namespace wv
