#pragma once

#include <QByteArray>
#include <QString>

#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace wv {

// Which process holds each socket: the socket inodes of a table matched
// against the /proc/<pid>/fd links of the machine's processes. The answers are
// kept between calls, so the process folders are read again only when a
// table holds an inode not seen before; a socket no readable process holds
// (another user's, without the rights to see it) is remembered as ownerless.
class SocketOwners
{
public:
    explicit SocketOwners(QByteArray procRoot = QByteArrayLiteral("/proc"));

    // pids[i] := the owner of inodes[i], 0 when none is known (inode 0 never
    // has one). Unknown inodes cause one scan of the process folders.
    void resolve(const std::vector<quint32> &inodes, std::vector<quint32> &pids);
    // The program name of a process seen by the last scans ("python3"), empty
    // when unknown.
    QString programOf(quint32 pid) const;
    // How many times the process folders were read (for tests and benchmarks).
    int scans() const { return m_scans; }

private:
    struct Process
    {
        QString program;
        std::unordered_map<int, quint32> socketFds; // fd number -> socket inode
        bool seen = false;
    };

    // Fills the owner of each wanted inode (0 when no readable process holds it).
    void scan(std::unordered_map<quint32, quint32> &wanted, const std::vector<quint32> &current);
    void scanProcess(quint32 pid, Process &process,
                     const std::unordered_map<quint32, quint32> &wanted,
                     const std::unordered_set<quint32> &current,
                     std::unordered_map<quint32, quint32> &found);

    struct Owner
    {
        quint32 pid;      // 0 for none
        quint32 lastSeen; // the call of resolve that last asked about it
    };

    QByteArray m_root;
    std::unordered_map<quint32, Owner> m_owner; // by inode
    quint32 m_calls = 0;
    std::unordered_map<quint32, Process> m_processes;
    int m_scans = 0;
};

} // namespace wv
