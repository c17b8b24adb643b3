#include "engine/SocketOwners.h"

#include <QFile>

#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace wv {

namespace {

// The inode of a "socket:[12345]" link, 0 for anything else.
quint32 socketInode(const char *link, ssize_t n)
{
    static const char prefix[] = "socket:[";
    constexpr ssize_t prefixLength = sizeof prefix - 1;
    if (n <= prefixLength + 1 || std::memcmp(link, prefix, prefixLength) != 0 || link[n - 1] != ']')
        return 0;
    quint64 v = 0;
    for (ssize_t i = prefixLength; i < n - 1; ++i) {
        if (link[i] < '0' || link[i] > '9' || v > 0xFFFFFFFFu)
            return 0;
        v = v * 10 + quint64(link[i] - '0');
    }
    return v <= 0xFFFFFFFFu ? quint32(v) : 0;
}

bool parseNumber(const char *s, quint32 &out)
{
    quint64 v = 0;
    if (!*s)
        return false;
    for (; *s; ++s) {
        if (*s < '0' || *s > '9' || v > 0xFFFFFFFFu)
            return false;
        v = v * 10 + quint64(*s - '0');
    }
    out = quint32(v);
    return v <= 0xFFFFFFFFu;
}

} // namespace

SocketOwners::SocketOwners(QByteArray procRoot) : m_root(std::move(procRoot)) {}

void SocketOwners::resolve(const std::vector<quint32> &inodes, std::vector<quint32> &pids)
{
    ++m_calls;
    pids.assign(inodes.size(), 0);
    // The inodes of this table that have no answer yet.
    std::unordered_map<quint32, quint32> unseen;
    for (std::size_t i = 0; i < inodes.size(); ++i) {
        if (inodes[i] == 0)
            continue;
        const auto it = m_owner.find(inodes[i]);
        if (it == m_owner.end()) {
            unseen.emplace(inodes[i], 0);
            continue;
        }
        it->second.lastSeen = m_calls;
        pids[i] = it->second.pid;
    }
    if (unseen.empty())
        return;
    scan(unseen, inodes);
    for (const auto &[inode, pid] : unseen)
        m_owner[inode] = {pid, m_calls};
    for (std::size_t i = 0; i < inodes.size(); ++i) {
        const auto it = unseen.find(inodes[i]);
        if (it != unseen.end())
            pids[i] = it->second;
    }
    // Closed sockets' answers go when a scan finds the cache much larger than
    // the tables asked about lately: it must not keep every socket ever seen.
    if (m_owner.size() > 2 * inodes.size() + 4096) {
        for (auto it = m_owner.begin(); it != m_owner.end();) {
            if (m_calls - it->second.lastSeen > 16)
                it = m_owner.erase(it);
            else
                ++it;
        }
    }
}

void SocketOwners::scan(std::unordered_map<quint32, quint32> &wanted,
                        const std::vector<quint32> &inodes)
{
    ++m_scans;
    const std::unordered_set<quint32> current(inodes.begin(), inodes.end());
    DIR *root = ::opendir(m_root.constData());
    if (!root)
        return;
    for (auto &[pid, process] : m_processes)
        process.seen = false;
    std::unordered_map<quint32, quint32> found;
    while (dirent *d = ::readdir(root)) {
        quint32 pid;
        if (!parseNumber(d->d_name, pid) || pid == 0)
            continue;
        Process &process = m_processes[pid];
        process.seen = true;
        scanProcess(pid, process, wanted, current, found);
    }
    ::closedir(root);
    for (auto it = m_processes.begin(); it != m_processes.end();) {
        if (!it->second.seen)
            it = m_processes.erase(it);
        else
            ++it;
    }
    for (auto &[inode, pid] : wanted) {
        const auto f = found.find(inode);
        pid = f != found.end() ? f->second : 0;
    }
}

void SocketOwners::scanProcess(quint32 pid, Process &process,
                               const std::unordered_map<quint32, quint32> &wanted,
                               const std::unordered_set<quint32> &current,
                               std::unordered_map<quint32, quint32> &found)
{
    const QByteArray folder = m_root + '/' + QByteArray::number(pid);
    // Without the rights to a process its descriptors cannot be listed: its
    // sockets stay ownerless, which is no error.
    const int fdDir = ::open((folder + "/fd").constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdDir < 0)
        return;
    DIR *dir = ::fdopendir(fdDir);
    if (!dir) {
        ::close(fdDir);
        return;
    }
    // Read again at every scan: a process number may have been given anew.
    QFile comm(QString::fromLocal8Bit(folder + "/comm"));
    if (comm.open(QIODevice::ReadOnly))
        process.program = QString::fromUtf8(comm.readAll().trimmed());
    std::unordered_map<int, quint32> fds;
    while (dirent *d = ::readdir(dir)) {
        quint32 fd;
        if (!parseNumber(d->d_name, fd))
            continue;
        quint32 inode = 0;
        const auto known = process.socketFds.find(int(fd));
        // A descriptor that held a socket of the current table holds it still:
        // looking up only the others keeps a scan cheap for processes with
        // many sockets.
        if (known != process.socketFds.end() && current.count(known->second) != 0) {
            inode = known->second;
        } else {
            char link[64];
            const ssize_t n = ::readlinkat(::dirfd(dir), d->d_name, link, sizeof link);
            if (n > 0)
                inode = socketInode(link, n);
        }
        if (inode == 0)
            continue;
        fds.emplace(int(fd), inode);
        if (wanted.count(inode) != 0)
            found.emplace(inode, pid); // the lowest process number holding it
    }
    ::closedir(dir);
    process.socketFds.swap(fds);
}

QString SocketOwners::programOf(quint32 pid) const
{
    const auto it = m_processes.find(pid);
    return it != m_processes.end() ? it->second.program : QString();
}

} // namespace wv
