#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QHostInfo;

namespace wv {

// Picks the address to show as the computer's own among the addresses its
// host name resolves to (at most the first 11 are considered): the last
// IPv4 address that is not loopback, else the last such IPv6 address. A name
// that resolves only to loopback addresses (common on Linux, where the host
// name maps to 127.0.1.1) gives `loopbackFallback()` instead, since loopback
// is not what a user means by the computer's address. An empty list gives an
// empty text.
QString chooseOwnAddress(const QList<QHostAddress> &addresses,
                         const std::function<QString()> &loopbackFallback);

// Resolves the local host name in the background and keeps the last answer,
// so the once-a-second refresh never waits on a slow name service.
class OwnAddressResolver : public QObject
{
    Q_OBJECT
public:
    using TextSource = std::function<QString()>;
    // Starts a look-up of a name; `done` is called later, on the thread of
    // `context` and only while it exists. The default is the system's
    // resolver (QHostInfo::lookupHost).
    using NameLookup = std::function<void(const QString &name, QObject *context,
                                          std::function<void(const QHostInfo &)> done)>;

    // By default the host name is the system's and the loopback fallback is
    // the address of the interface carrying the default route.
    explicit OwnAddressResolver(QObject *parent = nullptr);
    OwnAddressResolver(TextSource hostName, TextSource loopbackFallback, QObject *parent = nullptr);
    OwnAddressResolver(TextSource hostName, TextSource loopbackFallback, NameLookup lookup,
                       QObject *parent = nullptr);
    ~OwnAddressResolver() override;

    // Starts a look-up unless one is still running.
    void refresh();
    bool isBusy() const { return m_busy; }
    // The last address found; empty before the first answer and after a
    // name that did not resolve.
    QString address() const { return m_address; }

Q_SIGNALS:
    void addressChanged(const QString &address);
    // Every finished look-up, changed or not.
    void lookupFinished();

private:
    void lookedUp(const QHostInfo &info);

    TextSource m_hostName;
    TextSource m_fallback;
    NameLookup m_lookup;
    QString m_address;
    int m_lookupId = -1; // the system resolver's look-up, if one runs
    bool m_busy = false;
};

} // namespace wv
