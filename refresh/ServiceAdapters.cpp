#include "refresh/ServiceAdapters.h"

#include "monitor/FriendlyNames.h"
#include "monitor/HostNameResolver.h"
#include "stats/SummaryLog.h"

namespace wv {

QString ResolverHostNames::GetHostName(const QString &address)
{
    return m_resolver.GetHostName(address);
}

QString RecognizedNames::GetFriendlyName(const QString &hostName, const QString &remoteAddress)
{
    return m_names.GetFriendlyName(hostName, remoteAddress);
}

void SummaryLogSink::AddSummaryEvent(const QString &text)
{
    m_log.AddSummaryEvent(text);
}

} // namespace wv
