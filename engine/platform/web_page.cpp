#include "platform/web_page.h"

#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

extern char** environ;

namespace me::platform {
namespace {

std::vector<pid_t> g_openers;

// Openers finish on their own; collecting them here keeps no zombies around.
void collect_finished_openers() {
    std::erase_if(g_openers, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
}

}  // namespace

bool open_web_page(std::string_view url) {
    collect_finished_openers();
    if (url.empty() || url.front() == '-')
        return false;
    std::string program = "xdg-open";
    std::string argument(url);
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0)
        return false;
    g_openers.push_back(pid);
    return true;
}

}  // namespace me::platform
