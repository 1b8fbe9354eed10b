#include "service_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace me::lobby::test {
namespace {

uint16_t port_in_log(const std::string& log) {
    const std::string marker = "listening on ";
    const size_t at = log.find(marker);
    if (at == std::string::npos) return 0;
    const size_t colon = log.find(':', at + marker.size());
    const size_t end = log.find('\n', colon);
    if (colon == std::string::npos || end == std::string::npos) return 0;
    return static_cast<uint16_t>(std::stoi(log.substr(colon + 1, end - colon - 1)));
}

}  // namespace

ServiceProcess::ServiceProcess(std::vector<std::string> extra_arguments, int descriptor_limit) {
    char path[] = "/tmp/quillmoor-lobby-log-XXXXXX";
    const int log_fd = mkstemp(path);
    m_log_path = path;
    std::vector<std::string> arguments = {QUILLMOOR_LOBBY_BINARY, "--port", "0", "--bind", "127.0.0.1"};
    arguments.insert(arguments.end(), extra_arguments.begin(), extra_arguments.end());
    m_pid = fork();
    if (m_pid == 0) {
        // A test that dies must not leave its services running (holding
        // the test runner's output pipe open).
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        dup2(log_fd, STDERR_FILENO);
        dup2(log_fd, STDOUT_FILENO);
        if (descriptor_limit > 0) {
            const rlimit limit{static_cast<rlim_t>(descriptor_limit), static_cast<rlim_t>(descriptor_limit)};
            setrlimit(RLIMIT_NOFILE, &limit);
        }
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(log_fd);
    for (int i = 0; i < 500 && m_port == 0 && running(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        m_port = port_in_log(log());
    }
}

ServiceProcess::~ServiceProcess() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        for (int i = 0; i < 200 && running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (running()) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    std::filesystem::remove(m_log_path);
}

bool ServiceProcess::running() {
    if (m_pid <= 0) return false;
    if (waitpid(m_pid, nullptr, WNOHANG) == 0) return true;
    m_pid = -1;
    return false;
}

void ServiceProcess::kill_abruptly() {
    if (!running()) return;
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

std::string ServiceProcess::log() const {
    std::ifstream file(m_log_path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string find_program(const std::string& name) {
    const std::filesystem::path beside = std::filesystem::path(QUILLMOOR_LOBBY_BINARY).parent_path() / name;
    if (std::filesystem::exists(beside)) return beside;
    const char* path = std::getenv("PATH");
    std::stringstream directories(path ? path : "");
    for (std::string directory; std::getline(directories, directory, ':');)
        if (std::filesystem::exists(std::filesystem::path(directory) / name))
            return std::filesystem::path(directory) / name;
    return {};
}

}  // namespace me::lobby::test
