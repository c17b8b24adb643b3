#include "monitor/ReverseLookup.h"

#include <QHostAddress>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>

#include <ares.h>
#include <arpa/inet.h>
#include <netdb.h>

#include <mutex>

namespace wv {

bool initCares()
{
    static std::once_flag once;
    static int status = ARES_SUCCESS;
    std::call_once(once, [] { status = ares_library_init(ARES_LIB_INIT_ALL); });
    return status == ARES_SUCCESS;
}

bool isNumericAddress(const QString &address)
{
    if (address.isEmpty() || address.size() > 64)
        return false;
    const QByteArray text = address.toLatin1();
    if (text.contains('\0'))
        return false;
    in_addr v4{};
    in6_addr v6{};
    return inet_pton(AF_INET, text.constData(), &v4) == 1 ||
           inet_pton(AF_INET6, text.constData(), &v6) == 1;
}

struct ReverseLookup::Request
{
    ReverseLookup *owner;
    quint64 id;
    QByteArray name; // forward lookups: the name, asked again for IPv6
    int family = AF_INET;
};

namespace {

// A name that would not survive a round trip through the cache file, or that
// could pass for something else in a table cell, is not taken as an answer.
bool usableHostName(const QString &name)
{
    if (name.isEmpty() || name.size() > 1025)
        return false;
    for (const QChar c : name) {
        if (c.unicode() <= 0x20 || c.unicode() == 0x7f || c == QLatin1Char('=') ||
            c == QLatin1Char('[') || c == QLatin1Char(']'))
            return false;
    }
    return true;
}

// "host", "host:port", "[v6]" or "[v6]:port" -> the form c-ares takes.
bool normaliseServer(const QString &text, QString &out)
{
    QString host = text.trimmed();
    QString port;
    if (host.startsWith(QLatin1Char('['))) {
        const qsizetype close = host.indexOf(QLatin1Char(']'));
        if (close < 0)
            return false;
        const QString rest = host.mid(close + 1);
        host = host.mid(1, close - 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(QLatin1Char(':')))
                return false;
            port = rest.mid(1);
        }
    } else if (host.count(QLatin1Char(':')) == 1) {
        port = host.section(QLatin1Char(':'), 1);
        host = host.section(QLatin1Char(':'), 0, 0);
    }
    QHostAddress address;
    if (!address.setAddress(host))
        return false;
    if (!port.isEmpty()) {
        bool ok = false;
        const uint p = port.toUInt(&ok);
        if (!ok || p == 0 || p > 65535)
            return false;
    }
    const bool v6 = address.protocol() == QAbstractSocket::IPv6Protocol;
    const QString h = address.toString();
    if (port.isEmpty())
        out = v6 ? QStringLiteral("[%1]").arg(h) : h;
    else
        out = v6 ? QStringLiteral("[%1]:%2").arg(h, port) : QStringLiteral("%1:%2").arg(h, port);
    return true;
}

} // namespace

ReverseLookup::ReverseLookup(QObject *parent) : QObject(parent), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this,
            [this] { processFd(ARES_SOCKET_BAD, ARES_SOCKET_BAD); });
}

ReverseLookup::~ReverseLookup()
{
    destroyChannel();
}

bool ReverseLookup::setServers(const QStringList &servers)
{
    QStringList normalised;
    for (const QString &s : servers) {
        QString n;
        if (!normaliseServer(s, n)) {
            m_lastError = QStringLiteral("not a numeric name-server address: %1").arg(s);
            return false;
        }
        normalised.append(n);
    }
    // The lookup order is fixed when the channel is made, so start afresh.
    destroyChannel();
    m_servers = normalised;
    return true;
}

bool ReverseLookup::ensureChannel()
{
    if (m_channel)
        return true;
    if (!initCares()) {
        m_lastError = QStringLiteral("the resolver library cannot be initialised");
        return false;
    }
    ares_options options{};
    int mask = ARES_OPT_SOCK_STATE_CB;
    options.sock_state_cb = &ReverseLookup::onSocketState;
    options.sock_state_cb_data = this;
    QByteArray lookups("b");
    if (!m_servers.isEmpty()) {
        // Given servers are the only source: no hosts file, no system servers.
        options.lookups = lookups.data();
        mask |= ARES_OPT_LOOKUPS;
    }
    ares_channel channel = nullptr;
    const int rc = ares_init_options(&channel, &options, mask);
    if (rc != ARES_SUCCESS) {
        m_lastError = QString::fromUtf8(ares_strerror(rc));
        return false;
    }
    if (!m_servers.isEmpty()) {
        const QByteArray csv = m_servers.join(QLatin1Char(',')).toLatin1();
        const int src = ares_set_servers_ports_csv(channel, csv.constData());
        if (src != ARES_SUCCESS) {
            m_lastError = QString::fromUtf8(ares_strerror(src));
            ares_destroy(channel);
            return false;
        }
    }
    m_channel = channel;
    return true;
}

void ReverseLookup::destroyChannel()
{
    m_current = 0;
    m_live.clear();
    if (m_channel) {
        ares_channel channel = m_channel;
        m_channel = nullptr;
        m_inDestroy = true;
        // Outstanding callbacks run now with ARES_EDESTRUCTION and free their requests.
        ares_destroy(channel);
        m_inDestroy = false;
    }
    for (auto it = m_watches.begin(); it != m_watches.end(); ++it) {
        delete it->read;
        delete it->write;
    }
    m_watches.clear();
    m_timer->stop();
}

bool ReverseLookup::refuse(quint64 id, const QString &message)
{
    m_lastError = message;
    m_current = id;
    QMetaObject::invokeMethod(
        this,
        [this, id, message] {
            if (id != m_current)
                return;
            m_current = 0;
            Q_EMIT lookupFailed(message);
        },
        Qt::QueuedConnection);
    return false;
}

bool ReverseLookup::start(const QString &address)
{
    cancel();
    auto refuse = [this](const QString &message) {
        m_lastError = message;
        const quint64 id = m_nextId++;
        m_current = id;
        QMetaObject::invokeMethod(
            this,
            [this, id, message] {
                if (id != m_current)
                    return;
                m_current = 0;
                Q_EMIT lookupFailed(message);
            },
            Qt::QueuedConnection);
        return false;
    };
    if (address.isEmpty())
        return refuse(QStringLiteral("no address to look up"));
    const quint64 id = launch(address);
    if (id == 0)
        return refuse(m_lastError);
    m_current = id;
    return true;
}

quint64 ReverseLookup::add(const QString &address)
{
    return launch(address);
}

quint64 ReverseLookup::launch(const QString &address)
{
    const QByteArray text = address.toLatin1();
    in_addr v4{};
    in6_addr v6{};
    const void *bytes = nullptr;
    int length = 0;
    int family = AF_INET;
    if (address.size() <= 64 && inet_pton(AF_INET, text.constData(), &v4) == 1) {
        bytes = &v4;
        length = sizeof v4;
    } else if (address.size() <= 64 && inet_pton(AF_INET6, text.constData(), &v6) == 1) {
        bytes = &v6;
        length = sizeof v6;
        family = AF_INET6;
    } else {
        m_lastError = QStringLiteral("not a numeric address: %1").arg(address);
        return 0;
    }
    if (!ensureChannel())
        return 0;
    const quint64 id = m_nextId++;
    m_live.insert(id);
    ares_gethostbyaddr(m_channel, bytes, length, family, &ReverseLookup::onHostent,
                       new Request{this, id, {}, family});
    rearmTimer();
    return id;
}

bool ReverseLookup::startForward(const QString &hostName)
{
    cancel();
    const quint64 id = m_nextId++;
    const QString name = hostName.trimmed();
    // A DNS name is at most 253 characters; control characters and blanks
    // cannot be part of one and must not reach the resolver.
    bool printable = !name.isEmpty() && name.size() <= 253;
    for (const QChar c : name)
        printable = printable && c.unicode() > 0x20 && c.unicode() != 0x7f;
    if (!printable)
        return refuse(id, QStringLiteral("not a host name: %1").arg(hostName));
    if (!ensureChannel())
        return refuse(id, m_lastError);
    m_current = id;
    m_live.insert(id);
    const QByteArray ascii = QUrl::toAce(name).isEmpty() ? name.toUtf8() : QUrl::toAce(name);
    ares_gethostbyname(m_channel, ascii.constData(), AF_INET, &ReverseLookup::onForward,
                       new Request{this, id, ascii, AF_INET});
    rearmTimer();
    return true;
}

void ReverseLookup::onForward(void *arg, int status, int, ::hostent *host)
{
    auto *request = static_cast<Request *>(arg);
    ReverseLookup *self = request->owner;
    const quint64 id = request->id;
    if (status == ARES_EDESTRUCTION || status == ARES_ECANCELLED || id != self->m_current) {
        delete request;
        return;
    }
    // A name with only IPv6 addresses answers the IPv4 question with no data.
    if (status == ARES_ENODATA && request->family == AF_INET && !self->m_inDestroy) {
        request->family = AF_INET6;
        ares_gethostbyname(self->m_channel, request->name.constData(), AF_INET6,
                           &ReverseLookup::onForward, request);
        return;
    }
    delete request;
    QString address;
    int error = status == ARES_SUCCESS ? 0 : status;
    if (error == 0) {
        char text[INET6_ADDRSTRLEN] = {};
        if (host && host->h_addr_list && host->h_addr_list[0] &&
            inet_ntop(host->h_addrtype, host->h_addr_list[0], text, sizeof text))
            address = QString::fromLatin1(text);
        else
            error = ARES_EBADRESP;
    }
    QMetaObject::invokeMethod(
        self, [self, id, error, address] { self->deliver(id, error, address); },
        Qt::QueuedConnection);
}

void ReverseLookup::cancel()
{
    m_current = 0;
    m_live.clear();
    if (m_channel) {
        // Callbacks run synchronously with ARES_ECANCELLED; they are ignored
        // because no request is current any more.
        ares_cancel(m_channel);
        rearmTimer();
    }
}

void ReverseLookup::onHostent(void *arg, int status, int, ::hostent *host)
{
    auto *request = static_cast<Request *>(arg);
    ReverseLookup *self = request->owner;
    const quint64 id = request->id;
    delete request;
    if (status == ARES_EDESTRUCTION || status == ARES_ECANCELLED || !self->m_live.contains(id))
        return;
    QString name;
    int error = status == ARES_SUCCESS ? 0 : status;
    if (error == 0) {
        name = host && host->h_name ? QString::fromUtf8(host->h_name) : QString();
        if (!usableHostName(name)) {
            name.clear();
            error = ARES_EBADRESP;
        }
    }
    // Delivered from the event loop rather than from inside c-ares, so that a
    // receiver may start the next lookup straight away.
    QMetaObject::invokeMethod(
        self, [self, id, error, name] { self->deliver(id, error, name); }, Qt::QueuedConnection);
}

void ReverseLookup::deliver(quint64 id, int error, const QString &name)
{
    if (!m_live.remove(id))
        return;
    if (id == m_current) {
        m_current = 0;
        Q_EMIT lookupFinished(error, name);
    } else {
        Q_EMIT answered(id, error, name);
    }
}

void ReverseLookup::onSocketState(void *data, int fd, int readable, int writable)
{
    auto *self = static_cast<ReverseLookup *>(data);
    if (!readable && !writable) {
        const auto it = self->m_watches.find(fd);
        if (it == self->m_watches.end())
            return;
        // This can run inside the notifier's own signal: disable now, free later.
        for (QSocketNotifier *n : {it->read, it->write}) {
            if (n) {
                n->setEnabled(false);
                n->deleteLater();
            }
        }
        self->m_watches.erase(it);
        return;
    }
    Watch &w = self->m_watches[fd];
    if (readable && !w.read) {
        w.read = new QSocketNotifier(fd, QSocketNotifier::Read, self);
        connect(w.read, &QSocketNotifier::activated, self,
                [self, fd] { self->processFd(fd, ARES_SOCKET_BAD); });
    }
    if (writable && !w.write) {
        w.write = new QSocketNotifier(fd, QSocketNotifier::Write, self);
        connect(w.write, &QSocketNotifier::activated, self,
                [self, fd] { self->processFd(ARES_SOCKET_BAD, fd); });
    }
    if (w.read)
        w.read->setEnabled(readable != 0);
    if (w.write)
        w.write->setEnabled(writable != 0);
}

void ReverseLookup::processFd(int readFd, int writeFd)
{
    if (!m_channel || m_inCares)
        return;
    m_inCares = true;
    ares_process_fd(m_channel, readFd, writeFd);
    m_inCares = false;
    rearmTimer();
}

void ReverseLookup::rearmTimer()
{
    if (!m_channel) {
        m_timer->stop();
        return;
    }
    timeval tv{};
    if (!ares_timeout(m_channel, nullptr, &tv)) {
        m_timer->stop();
        return;
    }
    const qint64 ms = qint64(tv.tv_sec) * 1000 + (tv.tv_usec + 999) / 1000;
    m_timer->start(int(qBound(qint64(0), ms, qint64(60000))));
}

} // namespace wv
