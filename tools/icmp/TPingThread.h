#pragma once

#include "tools/icmp/IcmpEcho.h"

#include <QThread>

namespace wv {

// The worker thread of one echo. It only sends the echo and waits for its
// answer; the outcome is read on the user-interface thread once the thread
// has finished. The thread deletes itself after its finished() signal.
class TPingThread : public QThread
{
    Q_OBJECT
public:
    TPingThread(quint32 address, int packetSize, int timeOut, const IpOptionInformation &options);

Q_SIGNALS:
    // Emitted from the worker thread as its last act; the outcome travels
    // with the queued call, so the receiver never reads the thread's memory.
    void echoDone(const wv::EchoOutcome &outcome);

protected:
    void run() override;

private:
    const quint32 m_address;
    const int m_packetSize;
    const int m_timeOut;
    const IpOptionInformation m_options;
};

} // namespace wv
