#pragma once

#include "monitor/FriendlyNames.h"
#include "refresh/MonitorServices.h"

#include <optional>

namespace wv {

class HostNameResolver;
class SummaryLog;

// Plug the program's resolver, recognized names and session summary into the
// refresh cycle.

class ResolverHostNames : public HostNameProvider
{
public:
    explicit ResolverHostNames(HostNameResolver &resolver) : m_resolver(resolver) {}
    QString GetHostName(const QString &address) override;
    void prepareNames(const QStringList &addresses) override;
    void endNames() override;

private:
    HostNameResolver &m_resolver;
};

class RecognizedNames : public FriendlyNameProvider
{
public:
    explicit RecognizedNames(const FriendlyNames &names) : m_names(names) {}
    QString GetFriendlyName(const QString &hostName, const QString &remoteAddress) override;
    void beginRows() override;
    void endRows() override;

private:
    const FriendlyNames &m_names;
    std::optional<FriendlyNames::Entries> m_rows;
};

class SummaryLogSink : public SummarySink
{
public:
    explicit SummaryLogSink(SummaryLog &log) : m_log(log) {}
    void AddSummaryEvent(const QString &text) override;
    void beginEvents() override;
    void endEvents() override;

private:
    SummaryLog &m_log;
};

} // namespace wv
