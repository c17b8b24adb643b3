#include "tools/icmp/TPingThread.h"

namespace wv {

TPingThread::TPingThread(quint32 address, int packetSize, int timeOut,
                         const IpOptionInformation &options)
    : m_address(address), m_packetSize(packetSize), m_timeOut(timeOut), m_options(options)
{
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

void TPingThread::run()
{
    Q_EMIT echoDone(sendIcmpEcho(m_address, m_packetSize, m_timeOut, m_options));
}

} // namespace wv
