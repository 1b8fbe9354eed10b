#include "core/console.h"

#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace me {
namespace {

bool g_created = false;

constexpr char kPrompt[] = "Press any key...";

}  // namespace

void Console::create() { g_created = true; }

bool Console::attached() { return g_created || isatty(STDIN_FILENO); }

void Console::wait_for_key() {
    if (!isatty(STDIN_FILENO))
        return;
    termios saved{};
    if (tcgetattr(STDIN_FILENO, &saved) != 0)
        return;
    termios raw = saved;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0)
        return;
    [[maybe_unused]] ssize_t written = write(STDOUT_FILENO, kPrompt, sizeof kPrompt - 1);
    tcflush(STDIN_FILENO, TCIFLUSH);
    char key;
    while (read(STDIN_FILENO, &key, 1) < 0 && errno == EINTR) {
    }
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
}

}  // namespace me
