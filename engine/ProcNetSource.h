#pragma once

#include "engine/SocketSource.h"

#include <QByteArrayView>

namespace wv {

// Parses the text of /proc/net/tcp, tcp6, udp or udp6 (ipv6 selects the
// address width) into entries; an IPv6 socket without an IPv4 view is kept
// with hasIpv4View false. A wildcard IPv6 socket counts as dual-stack
// when dualStackWildcard is set: the files do not tell whether IPV6_V6ONLY is
// on. Malformed lines are skipped.
void parseProcNetTable(QByteArrayView text, bool ipv6, bool dualStackWildcard,
                       std::vector<SocketEntry> &out);

// Reads the tables from a folder holding tcp, tcp6, udp and udp6 files
// (normally /proc/net; a folder of recorded files in tests). A wildcard IPv6
// socket is shown as an IPv4 one only while the system default is dual-stack
// and no IPv4 socket holds its port (which a dual-stack one would prevent).
class ProcNetSource : public SocketSource
{
public:
    explicit ProcNetSource(QString folder = QStringLiteral("/proc/net"));
    QString name() const override { return QStringLiteral("proc"); }
    bool worksHere() override;
    void readTcp(std::vector<SocketEntry> &out) override;
    void readUdp(std::vector<SocketEntry> &out) override;

private:
    void readPair(const char *v4, const char *v6, bool tcp, std::vector<SocketEntry> &out);
    bool dualStackDefault() const;

    QString m_folder;
};

// Parses /proc/net/snmp: pairs of "Group: Name Name ..." / "Group: 1 2 ..."
// lines. Lines that do not pair up are skipped.
void parseProcSnmp(QByteArrayView text, std::vector<KernelCounter> &out);

class ProcSnmpSource : public CounterSource
{
public:
    explicit ProcSnmpSource(QString path = QStringLiteral("/proc/net/snmp"));
    bool worksHere() override;
    void read(std::vector<KernelCounter> &out) override;

private:
    QString m_path;
};

} // namespace wv
