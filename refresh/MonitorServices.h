#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

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
    // Before a refresh asks for names: every address it is about to ask for,
    // in order, so that a provider can look them up together. The answers
    // GetHostName gives must stay those it would give without this call.
    virtual void prepareNames(const QStringList & /*addresses*/) {}
    // The refresh has asked for every name it wanted.
    virtual void endNames() {}
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
    // A refresh asks for the names of all the rows it appends between these
    // two calls, so a provider may read its entries once for all of them.
    virtual void beginRows() {}
    virtual void endRows() {}
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
    // The events of one refresh come between these two calls, so that a
    // sink can hand them on together.
    virtual void beginEvents() {}
    virtual void endEvents() {}
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
    // A long refresh calls this every few dozen milliseconds: the window
    // processes its pending input and painting, as it does while the refresh
    // waits for a host name.
    virtual void keepResponsive() {}
};

} // namespace wv
