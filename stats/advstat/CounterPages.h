#pragma once

#include "engine/MibTypes.h"
#include "stats/advstat/StatsPages.h"

#include <QDateTime>
#include <QObject>

#include <array>
#include <optional>
#include <thread>

namespace wv {

// The counter pages of the host being shown when that is another host: the
// figures are read through its agent links on a worker thread, one page at a
// time, so that a window never waits for a slow or silent agent. The last
// figures read of each page are kept and handed out again, marked as not
// current, when the agent fails.
//
//   pages.showRemote(agent.displayName(), remoteAgentLoader(client));
//   connect(&pages, &CounterPages::pageRead, form, ...);
//   pages.read(StatsPage::Tcp);   // pageRead follows when the agent answered or failed
class CounterPages : public QObject
{
    Q_OBJECT
public:
    struct Result
    {
        StatsPage page = StatsPage::Ip;
        // The figures: the page's current ones, or after a failure the last
        // ones read (empty when there were none).
        QList<QStringList> rows;
        bool current = true;
        QString failure;    // the agent's message when not current
        QDateTime readTime; // when rows were read; invalid without rows
    };

    explicit CounterPages(QObject *parent = nullptr);
    // Waits for a read under way (at most the agent's time-out and retries).
    ~CounterPages() override;

    // This machine: the window reads its counters itself.
    void showLocal();
    // Another host, named hostName, whose agent links loader opens. Figures
    // kept of the host before are dropped.
    void showRemote(const QString &hostName, AgentLoader loader);
    bool isRemote() const { return bool(m_loader); }
    // "This machine" or the name given to showRemote.
    QString hostName() const;

    // Starts reading a page of the remote host; pageRead follows. A request
    // made while another read runs is served after it (the latest one only).
    void read(StatsPage page);
    bool isReading() const { return m_worker.joinable(); }

Q_SIGNALS:
    void pageRead(const wv::CounterPages::Result &result);
    // After showLocal and showRemote.
    void hostChanged();

private:
    void start(StatsPage page);
    void finished(quint64 generation, StatsPage page, const CounterRows &rows);

    QString m_hostName;
    AgentLoader m_loader;
    quint64 m_generation = 0;
    std::thread m_worker;
    std::optional<StatsPage> m_pending;
    struct Kept
    {
        QList<QStringList> rows;
        QDateTime time;
    };
    std::array<Kept, StatsPageCount> m_kept;
};

} // namespace wv
