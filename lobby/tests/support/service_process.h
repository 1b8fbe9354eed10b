#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace me::lobby::test {

// A quillmoor-lobby process started on a free port, its log in a temporary
// file, stopped (SIGTERM, then SIGKILL) when the object goes.
class ServiceProcess {
public:
    // descriptor_limit > 0 caps the open files the service may have.
    explicit ServiceProcess(std::vector<std::string> extra_arguments = {}, int descriptor_limit = 0);
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    // 0 when the service did not start listening within a few seconds.
    uint16_t port() const { return m_port; }
    std::string log() const;
    bool running();
    // SIGKILL: the process ends without a word to anyone.
    void kill_abruptly();

private:
    pid_t m_pid = -1;
    uint16_t m_port = 0;
    std::string m_log_path;
};

// The path of a program built beside quillmoor-lobby, or searched on PATH.
std::string find_program(const std::string& name);

}  // namespace me::lobby::test
