#include "tools/icmp/TMSicmp.h"

#include "tools/icmp/IcmpStatus.h"
#include "tools/icmp/TPingThread.h"

#include <QMetaMethod>
#include <QThread>
#include <QTimer>

namespace wv {

TMSicmp::TMSicmp(QObject *parent) : QObject(parent)
{
    m_options.Ttl = m_timeToLive;
}

TMSicmp::~TMSicmp()
{
    // A running echo ends on its own thread and deletes itself; its queued
    // completion dies with this object.
    if (m_thread)
        disconnect(m_thread, nullptr, this, nullptr);
}

void TMSicmp::setPacketSize(int bytes)
{
    m_packetSize = qBound(MinPacketSize, bytes, MaxPacketSize);
}

void TMSicmp::resetReply()
{
    m_reply = IcmpEchoReply();
    m_replyData.clear();
    m_status = 0;
    m_message.clear();
}

void TMSicmp::Ping()
{
    resetReply();
    if (m_mode == TWSMode::wsmBlocking) {
        complete(sendIcmpEcho(m_address, m_packetSize, m_timeOut, m_options));
        return;
    }
    auto *thread = new TPingThread(m_address, m_packetSize, m_timeOut, m_options);
    connect(thread, &TPingThread::echoDone, this, &TMSicmp::complete, Qt::QueuedConnection);
    m_thread = thread;
    thread->start();
}

void TMSicmp::complete(const EchoOutcome &outcome)
{
    m_thread = nullptr;
    m_reply = outcome.reply;
    m_replyData = outcome.data;
    qint32 status = outcome.status;
    if (status == IcmpStatus::NoHandle) {
        m_status = status;
        m_message = QStringLiteral("Unable to get a handle for the Ping");
        EchoError(status, m_message);
        return;
    }
    if (status == 0)
        status = qint32(m_reply.Status);
    m_status = status;
    if (status >= 10000 && status <= 11000) {
        m_message = SocketErrorText(status);
        EchoError(status, m_message);
        return;
    }
    m_message = IcmpStatusText(status);
    EchoReply();
}

void TMSicmp::RaiseError(qint32 code, const QString &message)
{
    if (!isSignalConnected(QMetaMethod::fromSignal(&TMSicmp::OnError)))
        throw EPingError(code, message);
    Q_EMIT OnError(this, code, message);
}

void TMSicmp::EchoError(qint32 code, const QString &message)
{
    RaiseError(code, message);
}

void TMSicmp::EchoReply()
{
    Q_EMIT OnEcho(this);
}

// --- TMSicmpTask ---

TMSicmpTask::TMSicmpTask(QObject *parent)
    : TMSicmp(parent), m_dns(new TDNS(this)), m_interval_timer(new QTimer(this))
{
    m_interval_timer->setSingleShot(true);
    connect(m_interval_timer, &QTimer::timeout, this, &TMSicmpTask::SendEcho);
    connect(m_dns, &TDNS::OnLookupDone, this, &TMSicmpTask::lookupDone);
}

TMSicmpTask::~TMSicmpTask() = default;

void TMSicmpTask::Start(const QString &target)
{
    const IcmpSupport support = probeIcmp();
    if (support.kind == IcmpSocketKind::None) {
        // The error is the end: a finish event after it would read as a
        // trace that ran and found nothing.
        RaiseError(IcmpStatus::NoHandle, QStringLiteral("ICMP disabled: ") + support.reason);
        return;
    }
    if (m_busy) {
        RaiseError(IcmpStatus::InProgress, QStringLiteral("Already in Progress"));
        return;
    }
    m_busy = true;
    m_stop = false;
    m_sent = 0;
    setStatus(0);
    m_targetName.clear();
    m_targetAddressText.clear();
    m_hopAddress.clear();
    m_hopName.clear();
    m_targetText = target.trimmed();
    m_resolving = true;
    m_dns->setMode(Mode());
    m_dns->Lookup(target);
}

void TMSicmpTask::lookupDone(int error)
{
    if (!m_resolving)
        return;
    m_resolving = false;
    quint32 address = 0;
    if (error == 0) {
        m_targetAddressText = m_dns->AddressText();
        m_targetName = m_dns->HostName();
        address = m_dns->Address();
    } else if (m_dns->WasReverse() && error != IcmpStatus::LookupCancelled &&
               parseDottedAddress(m_targetText, address)) {
        // A dotted address needs no name to be probed: an address without a
        // reverse name is traced under the address itself.
        m_targetAddressText = dottedAddress(address);
        m_targetName = m_targetAddressText;
    } else {
        m_busy = false;
        RaiseError(error, m_dns->ErrorText());
        return;
    }
    setAddress(address);
    Begin();
}

void TMSicmpTask::Begin()
{
    setRequestTtl(TimeToLive());
    SendEcho();
}

bool TMSicmpTask::Continue()
{
    return m_sent < m_count;
}

void TMSicmpTask::SendEcho()
{
    if (!m_busy)
        return;
    ++m_sent;
    Ping();
}

void TMSicmpTask::Stop()
{
    m_stop = true;
    if (m_resolving) {
        m_dns->Cancel();
        return;
    }
    if (m_busy && m_interval_timer->isActive()) {
        m_interval_timer->stop();
        endTask();
    }
}

void TMSicmpTask::EchoError(qint32 code, const QString &message)
{
    m_busy = false;
    RaiseError(code, message);
}

void TMSicmpTask::EchoReply()
{
    if (Reply().Address == IcmpEchoReply::NoAddress) {
        m_hopAddress = m_targetAddressText;
        m_hopName = m_targetName;
    } else {
        m_hopAddress = dottedAddress(Reply().Address);
        m_hopName = m_hopAddress;
        if (m_resolve) {
            TDNS reverse;
            reverse.setMode(TWSMode::wsmBlocking);
            reverse.setTimeout(TimeOut());
            reverse.Lookup(m_hopAddress);
            if (reverse.ErrorCode() == 0 && !reverse.HostName().isEmpty())
                m_hopName = reverse.HostName();
        }
    }
    if (m_stop)
        setStatus(IcmpStatus::Stopped);
    const QPointer<TMSicmpTask> alive(this);
    Q_EMIT OnData(this);
    if (!alive || !m_busy)
        return;
    if (m_stop || !Continue()) {
        endTask();
        return;
    }
    if (m_interval > 0 && Mode() == TWSMode::wsmAsync) {
        m_interval_timer->start(m_interval);
        return;
    }
    if (m_interval > 0)
        QThread::msleep(ulong(m_interval));
    SendEcho();
}

void TMSicmpTask::endTask()
{
    m_busy = false;
    Q_EMIT OnFinished(this);
}

// --- TMSTrace ---

TMSTrace::TMSTrace(QObject *parent) : TMSicmpTask(parent)
{
    setInterval(0);
}

void TMSTrace::Begin()
{
    setRequestTtl(1);
    SendEcho();
}

bool TMSTrace::Continue()
{
    // Past a router that says the destination cannot be reached, a larger
    // time-to-live only repeats that answer.
    if (Status() == IcmpStatus::Success || IsUnreachableStatus(Status()))
        return false;
    if (CurrentTTL() >= TimeToLive())
        return false;
    setRequestTtl(quint8(CurrentTTL() + 1));
    return true;
}

} // namespace wv
