#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace me::test {

// A private X server (Xvfb with a 24-bit 1280x1024 screen) for tests that
// need a display. Xvfb picks a free display number itself and reports it
// through a pipe once it accepts connections, so there is no race with other
// servers or with its own start-up.
class XvfbDisplay {
public:
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 1024;

    XvfbDisplay() { start(); }
    ~XvfbDisplay() { stop(); }
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    // ":N", or empty when the server could not be started.
    const std::string& name() const { return m_name; }

private:
    static constexpr int kStartTimeoutMs = 15000;

    void start() {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0)
            run_server(fds[1]);
        close(fds[1]);
        if (m_pid > 0)
            m_name = read_display(fds[0]);
        close(fds[0]);
        if (m_name.empty())
            stop();
    }

    [[noreturn]] static void run_server(int report_fd) {
        const int null_fd = open("/dev/null", O_WRONLY);
        dup2(null_fd, STDOUT_FILENO);
        dup2(null_fd, STDERR_FILENO);
        const std::string fd_text = std::to_string(report_fd);
        execlp("Xvfb", "Xvfb", "-displayfd", fd_text.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }

    static std::string read_display(int fd) {
        std::string number;
        pollfd waiting{fd, POLLIN, 0};
        char c = 0;
        while (poll(&waiting, 1, kStartTimeoutMs) == 1 && read(fd, &c, 1) == 1 && c != '\n')
            number += c;
        return number.empty() || c != '\n' ? std::string() : ":" + number;
    }

    void stop() {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

    pid_t m_pid = -1;
    std::string m_name;
};

}  // namespace me::test
