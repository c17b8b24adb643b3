#pragma once

#include "tools/icmp/IcmpEcho.h"
#include "tools/icmp/TDNS.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QTimer;

namespace wv {

class TPingThread;

// One ICMP echo request. In asynchronous mode the echo runs on its own
// TPingThread and the completion runs on the thread that owns the component;
// in blocking mode Ping() returns after the completion.
class TMSicmp : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultPacketSize = 56;
    static constexpr int MinPacketSize = 8;
    static constexpr int MaxPacketSize = 65500;
    static constexpr quint16 DefaultTimeOut = 2500;
    static constexpr quint8 DefaultTimeToLive = 32;

    explicit TMSicmp(QObject *parent = nullptr);
    ~TMSicmp() override;

    TWSMode Mode() const { return m_mode; }
    void setMode(TWSMode mode) { m_mode = mode; }
    int PacketSize() const { return m_packetSize; }
    void setPacketSize(int bytes);
    quint16 TimeOut() const { return m_timeOut; }
    void setTimeOut(quint16 milliseconds) { m_timeOut = milliseconds; }
    quint8 TimeToLive() const { return m_timeToLive; }
    void setTimeToLive(quint8 ttl) { m_timeToLive = ttl; }

    // The target, network byte order; all ones means none.
    quint32 Address() const { return m_address; }
    void setAddress(quint32 networkOrder) { m_address = networkOrder; }
    const IpOptionInformation &RequestOptions() const { return m_options; }
    void setRequestTtl(quint8 ttl) { m_options.Ttl = ttl; }

    const IcmpEchoReply &Reply() const { return m_reply; }
    QByteArray ReplyData() const { return m_replyData; }
    qint32 Status() const { return m_status; }
    QString Message() const { return m_message; }
    bool EchoRunning() const { return m_thread != nullptr; }

    // Sends one echo to Address with the request options.
    void Ping();

Q_SIGNALS:
    void OnError(QObject *sender, qint32 code, const QString &message);
    // The data event: an echo produced a reply or an IP status.
    void OnEcho(QObject *sender);

protected:
    // Raises OnError, or throws EPingError when nobody listens.
    void RaiseError(qint32 code, const QString &message);
    // The completion of an echo, classified.
    virtual void EchoError(qint32 code, const QString &message);
    virtual void EchoReply();
    void setStatus(qint32 status) { m_status = status; }

private:
    void resetReply();
    void complete(const EchoOutcome &outcome);
    void threadFinished();

    TWSMode m_mode = TWSMode::wsmAsync;
    int m_packetSize = DefaultPacketSize;
    quint16 m_timeOut = DefaultTimeOut;
    quint8 m_timeToLive = DefaultTimeToLive;
    quint32 m_address = IcmpEchoReply::NoAddress;
    IpOptionInformation m_options;
    IcmpEchoReply m_reply;
    QByteArray m_replyData;
    qint32 m_status = 0;
    QString m_message;
    QPointer<QObject> m_thread; // the running TPingThread
};

// Resolves a target and then drives its echoes: Count echoes, Interval
// milliseconds apart (one by default).
class TMSicmpTask : public TMSicmp
{
    Q_OBJECT
public:
    explicit TMSicmpTask(QObject *parent = nullptr);
    ~TMSicmpTask() override;

    // Whether to look up the name of each replying address.
    bool Resolve() const { return m_resolve; }
    void setResolve(bool on) { m_resolve = on; }
    int Count() const { return m_count; }
    void setCount(int count) { m_count = qMax(1, count); }
    int Interval() const { return m_interval; }
    void setInterval(int milliseconds) { m_interval = qMax(0, milliseconds); }

    void Start(const QString &target);
    void Stop();
    bool Busy() const { return m_busy; }
    bool Stopped() const { return m_stop; }

    TDNS &dns() { return *m_dns; }
    QString TargetName() const { return m_targetName; }
    QString TargetAddressText() const { return m_targetAddressText; }
    // Values for OnData.
    int CurrentTTL() const { return RequestOptions().Ttl; }
    int EchoNumber() const { return m_sent; }
    QString HopAddress() const { return m_hopAddress; }
    QString HopName() const { return m_hopName; }
    quint32 RoundTripTime() const { return Reply().RoundTripTime; }
    QString StatusText() const { return Message(); }

Q_SIGNALS:
    void OnData(QObject *sender);
    void OnFinished(QObject *sender);

protected:
    virtual void Begin();
    // Whether to send another echo; may change the request options.
    virtual bool Continue();
    void SendEcho();
    void EchoError(qint32 code, const QString &message) override;
    void EchoReply() override;

private:
    void lookupDone(int error);
    void endTask();

    TDNS *m_dns;
    QTimer *m_interval_timer;
    bool m_resolve = false;
    int m_count = 1;
    int m_interval = 1000;
    int m_sent = 0;
    bool m_busy = false;
    bool m_stop = false;
    bool m_resolving = false;
    QString m_targetText;
    QString m_targetName;
    QString m_targetAddressText;
    QString m_hopAddress;
    QString m_hopName;
};

// The trace route: echoes with a growing time-to-live, one at a time, until
// the destination answers or the time-to-live reaches TimeToLive.
class TMSTrace : public TMSicmpTask
{
    Q_OBJECT
public:
    explicit TMSTrace(QObject *parent = nullptr);

protected:
    void Begin() override;
    bool Continue() override;
};

} // namespace wv
