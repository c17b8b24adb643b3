#include "refresh/ServiceAdapters.h"

#include "monitor/FriendlyNames.h"
#include "monitor/HostNameResolver.h"
#include "stats/SummaryLog.h"

namespace wv {

QString ResolverHostNames::GetHostName(const QString &address)
{
    return m_resolver.GetHostName(address);
}

void ResolverHostNames::prepareNames(const QStringList &addresses)
{
    m_resolver.prefetch(addresses);
}

void ResolverHostNames::endNames()
{
    m_resolver.endPrefetch();
}

QString RecognizedNames::GetFriendlyName(const QString &hostName, const QString &remoteAddress)
{
    return m_rows ? m_rows->GetFriendlyName(hostName, remoteAddress)
                  : m_names.GetFriendlyName(hostName, remoteAddress);
}

void RecognizedNames::beginRows()
{
    m_rows = m_names.entriesNow();
}

void RecognizedNames::endRows()
{
    m_rows.reset();
}

void SummaryLogSink::AddSummaryEvent(const QString &text)
{
    m_log.AddSummaryEvent(text);
}

void SummaryLogSink::beginEvents()
{
    m_log.beginBatch();
}

void SummaryLogSink::endEvents()
{
    m_log.endBatch();
}

} // namespace wv
