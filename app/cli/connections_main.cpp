// `wirevane-cli connections`: the list of this machine, without owners or
// bytes, is answered here with the engine and Qt Core alone. It is the command
// scripts run over and over, and most of its time went into loading the
// libraries of the other commands (the network tools, SNMP, the secret store).
// Anything else, including any option not known here and every error of usage,
// is handed to the whole companion beside this program, which answers exactly
// as it always has.
#include "app/cli/CliSupport.h"
#include "app/cli/ConnectionRows.h"
#include "engine/DirectConnectionList.h"
#include "engine/EngineErrors.h"
#include "engine/MibIIAgent.h"

#include <QString>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include <unistd.h>

namespace {

struct Request
{
    wv::TIpProtocols protocols;
    bool json = false;
    wv::cli::RowOptions options;
    wv::SocketSourceChoice source = wv::SocketSourceChoice::Automatic;
};

// The request when every argument after `connections` is one answered here
// as the whole companion would; nothing otherwise.
std::optional<Request> readRequest(int argc, char **argv)
{
    Request r;
    std::string family = "all", source = "auto";
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        // An option's value comes as --name=value or as the next argument.
        auto value = [&](const char *name, std::string &out) {
            const std::string option = std::string("--") + name;
            if (a.rfind(option + "=", 0) == 0) {
                out = a.substr(option.size() + 1);
                return true;
            }
            if (a == option && i + 1 < argc) {
                out = argv[++i];
                return true;
            }
            return false;
        };
        if (a == "--tcp")
            r.protocols |= wv::tcp_ip;
        else if (a == "--udp")
            r.protocols |= wv::udp_ip;
        else if (a == "--json")
            r.json = true;
        else if (!value("family", family) && !value("source", source))
            return std::nullopt; // owners, bytes, agents, help, mistakes
    }
    if (family == "4" || family == "6")
        r.options.family = family == "4" ? 4 : 6;
    else if (family != "all")
        return std::nullopt;
    if (source == "netlink")
        r.source = wv::SocketSourceChoice::Netlink;
    else if (source == "proc")
        r.source = wv::SocketSourceChoice::Proc;
    else if (source != "auto")
        return std::nullopt;
    if (!r.protocols)
        r.protocols = wv::TIpProtocols(wv::tcp_ip) | wv::udp_ip;
    return r;
}

// Lists the connections; nothing when no socket table can be read here (the
// whole companion then says why).
std::optional<int> listConnections(const Request &request)
{
    const std::unique_ptr<wv::SocketSource> sockets = wv::loadSystemSockets(request.source);
    if (!sockets)
        return std::nullopt;
    // Messages in the user's language, as the whole companion gives them.
    std::setlocale(LC_ALL, "");
    try {
        wv::DirectConnectionList list(*sockets);
        list.setProtocols(request.protocols);
        list.Refresh();
        const wv::cli::OutputWriter toStdout = [](const char *data, qsizetype size) {
            std::fwrite(data, 1, size_t(size), stdout);
        };
        if (request.json)
            wv::cli::writeConnectionsJson(list, toStdout, request.options);
        else
            wv::cli::writeConnectionsText(list, toStdout, request.options);
        return wv::cli::finishOutput(0);
    } catch (const wv::EngineException &e) {
        wv::cli::err(QStringLiteral("wirevane-cli connections: %1\n").arg(e.Message()));
        return wv::cli::finishOutput(1);
    }
}

// Runs the whole companion in this process's place, with the same arguments.
int handOver(char **argv)
{
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path(self, size_t(n > 0 ? n : 0));
    path = path.substr(0, path.rfind('/') + 1) + "wirevane-cli";
    ::execv(path.c_str(), argv);
    const int error = errno;
    std::fprintf(stderr, "wirevane-cli: cannot start %s: %s\n", path.c_str(), std::strerror(error));
    return 127;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 2 && std::strcmp(argv[1], "connections") == 0) {
        if (const std::optional<Request> request = readRequest(argc, argv)) {
            if (const std::optional<int> code = listConnections(*request))
                return *code;
        }
    }
    return handOver(argv);
}
