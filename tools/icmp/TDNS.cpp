#include "tools/icmp/TDNS.h"

#include "tools/icmp/IcmpEcho.h"
#include "tools/icmp/IcmpStatus.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QThread>

#include <ares.h>
#include <arpa/inet.h>
#include <netdb.h>
#include <sys/select.h>

#include <cstring>
#include <mutex>

namespace wv {

namespace {

bool initAres()
{
    static std::once_flag once;
    static int status = ARES_SUCCESS;
    std::call_once(once, [] { status = ares_library_init(ARES_LIB_INIT_ALL); });
    return status == ARES_SUCCESS;
}

int socketErrorOf(int aresStatus)
{
    switch (aresStatus) {
    case ARES_ENOTFOUND:
    case ARES_ENONAME:
    case ARES_EBADNAME:
        return SocketError::HostNotFound;
    case ARES_ENODATA:
        return SocketError::NoData;
    case ARES_EREFUSED:
    case ARES_ENOTIMP:
    case ARES_EFORMERR:
        return SocketError::NoRecovery;
    default:
        return SocketError::TryAgain;
    }
}

bool validServer(const QString &text)
{
    QString host = text.trimmed();
    if (host.startsWith(QLatin1Char('['))) {
        const qsizetype close = host.indexOf(QLatin1Char(']'));
        if (close < 0)
            return false;
        host = host.mid(1, close - 1);
        in6_addr a{};
        return ::inet_pton(AF_INET6, host.toLatin1().constData(), &a) == 1;
    }
    if (host.count(QLatin1Char(':')) == 1) {
        bool ok = false;
        const uint port = host.section(QLatin1Char(':'), 1).toUInt(&ok);
        if (!ok || port == 0 || port > 65535)
            return false;
        host = host.section(QLatin1Char(':'), 0, 0);
    }
    quint32 address = 0;
    return parseDottedAddress(host, address);
}

struct HostResult
{
    bool done = false;
    int status = ARES_ETIMEOUT;
    quint32 address = 0;
    QString name;
};

void onHost(void *arg, int status, int /*timeouts*/, hostent *host)
{
    auto *r = static_cast<HostResult *>(arg);
    r->done = true;
    r->status = status;
    if (status != ARES_SUCCESS || !host)
        return;
    r->name = QString::fromUtf8(host->h_name ? host->h_name : "");
    if (host->h_addrtype == AF_INET && host->h_addr_list && host->h_addr_list[0])
        std::memcpy(&r->address, host->h_addr_list[0], 4);
}

// One look-up on a channel of its own, waited for on the calling thread;
// bounded by the time-out and ended early by the cancel flag.
TDNS::Answer resolve(const QString &text, bool reverse, quint32 address, const QStringList &servers,
                     int timeoutMs, const std::atomic<bool> &cancel)
{
    TDNS::Answer answer;
    answer.error = SocketError::TryAgain;
    if (!initAres())
        return answer;
    ares_options options{};
    int mask = ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES;
    options.timeout = qMax(50, timeoutMs / 2);
    options.tries = 2;
    QByteArray lookups("b");
    if (!servers.isEmpty()) {
        // Given servers are the only source: no hosts file, no system servers.
        options.lookups = lookups.data();
        mask |= ARES_OPT_LOOKUPS;
    }
    ares_channel channel = nullptr;
    if (ares_init_options(&channel, &options, mask) != ARES_SUCCESS)
        return answer;
    if (!servers.isEmpty()) {
        const QByteArray csv = servers.join(QLatin1Char(',')).toLatin1();
        if (ares_set_servers_ports_csv(channel, csv.constData()) != ARES_SUCCESS) {
            ares_destroy(channel);
            return answer;
        }
    }
    HostResult result;
    const QByteArray name = text.toUtf8();
    if (reverse)
        ares_gethostbyaddr(channel, &address, 4, AF_INET, onHost, &result);
    else
        ares_gethostbyname(channel, name.constData(), AF_INET, onHost, &result);
    QElapsedTimer clock;
    clock.start();
    while (!result.done) {
        if (cancel.load() || clock.elapsed() > timeoutMs)
            break;
        fd_set readers, writers;
        FD_ZERO(&readers);
        FD_ZERO(&writers);
        const int count = ares_fds(channel, &readers, &writers);
        if (count == 0)
            break;
        // Short slices so that a cancel is seen soon.
        timeval slice{0, 50000};
        timeval wait{};
        timeval *tv = ares_timeout(channel, &slice, &wait);
        if (::select(count, &readers, &writers, nullptr, tv) < 0 && errno != EINTR)
            break;
        ares_process(channel, &readers, &writers);
    }
    ares_destroy(channel); // runs a pending callback with ARES_EDESTRUCTION
    if (!result.done || result.status != ARES_SUCCESS) {
        answer.error = result.status == ARES_EDESTRUCTION || !result.done
                           ? SocketError::TryAgain
                           : socketErrorOf(result.status);
        return answer;
    }
    answer.error = 0;
    answer.address = reverse ? address : result.address;
    answer.addressText = dottedAddress(answer.address);
    answer.hostName = result.name;
    if (!reverse && result.address == 0)
        answer.error = SocketError::NoData;
    return answer;
}

} // namespace

TDNS::TDNS(QObject *parent) : QObject(parent) {}

TDNS::~TDNS()
{
    if (m_cancel)
        m_cancel->store(true);
}

bool TDNS::setServers(const QStringList &servers)
{
    for (const QString &s : servers) {
        if (!validServer(s))
            return false;
    }
    m_servers = servers;
    return true;
}

void TDNS::fail(int code, const QString &text)
{
    m_error = code;
    m_errorText = text;
    Q_EMIT OnLookupDone(code);
}

void TDNS::Lookup(const QString &text)
{
    if (text.trimmed().isEmpty()) {
        fail(IcmpStatus::NoAddress, QStringLiteral("No Address Specified"));
        return;
    }
    if (m_busy) {
        fail(IcmpStatus::LookupRunning, QStringLiteral("Lookup already in progress"));
        return;
    }
    m_error = 0;
    m_errorText.clear();
    m_address = 0;
    m_addressText.clear();
    m_hostName.clear();
    const QString target = text.trimmed();
    quint32 address = 0;
    m_reverse = parseDottedAddress(target, address);
    m_busy = true;
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    const quint64 generation = ++m_generation;
    if (m_mode == TWSMode::wsmBlocking) {
        finish(resolve(target, m_reverse, address, m_servers, m_timeoutMs, *m_cancel));
        return;
    }
    QPointer<TDNS> self(this);
    auto cancel = m_cancel;
    const bool reverse = m_reverse;
    const QStringList servers = m_servers;
    const int timeoutMs = m_timeoutMs;
    QThread *worker = QThread::create([=] {
        const Answer answer = resolve(target, reverse, address, servers, timeoutMs, *cancel);
        if (cancel->load())
            return;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, generation, answer] {
                if (self && self->m_generation == generation && self->m_busy)
                    self->finish(answer);
            },
            Qt::QueuedConnection);
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

void TDNS::Cancel()
{
    if (!m_busy)
        return;
    if (m_cancel)
        m_cancel->store(true);
    ++m_generation;
    m_busy = false;
    fail(IcmpStatus::LookupCancelled, QStringLiteral("Cancelled Asynchronous lookup"));
}

void TDNS::finish(const Answer &answer)
{
    m_busy = false;
    m_error = answer.error;
    if (answer.error != 0) {
        m_errorText = SocketErrorText(answer.error);
    } else {
        m_address = answer.address;
        m_addressText = answer.addressText;
        m_hostName = answer.hostName;
    }
    Q_EMIT OnLookupDone(m_error);
}

} // namespace wv
