// The companion as the shell starts it: a small program that loads no library
// of its own and starts the part that answers the command in its place, the
// connection list's own program for `connections`, the whole companion for the
// rest. Both lie in the companion's folder of programs.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include <unistd.h>

#ifndef WV_CLI_PARTS_DIR
#error "WV_CLI_PARTS_DIR names the folder of the companion's parts, relative to this program's"
#endif

int main(int argc, char *argv[])
{
    char self[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    self[n > 0 ? n : 0] = '\0';
    if (char *slash = std::strrchr(self, '/'))
        slash[1] = '\0';
    const bool connections = argc >= 2 && std::strcmp(argv[1], "connections") == 0;
    char path[PATH_MAX + 64];
    std::snprintf(path, sizeof path, "%s%s/%s", self, WV_CLI_PARTS_DIR,
                  connections ? "wirevane-cli-connections" : "wirevane-cli");
    ::execv(path, argv);
    const int error = errno;
    std::fprintf(stderr, "wirevane-cli: cannot start %s: %s\n", path, std::strerror(error));
    return 127;
}
