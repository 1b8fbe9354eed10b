#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace me {

// Finds the IPv4 address of a host without blocking the caller: a dotted
// address is taken at once, a name is resolved by the system in the
// background and poll() tells when it is known.
class HostLookup {
public:
    enum class State { Pending, Found, Failed };

    HostLookup(const std::string& host, uint16_t port);
    HostLookup(const HostLookup&) = delete;
    HostLookup& operator=(const HostLookup&) = delete;
    ~HostLookup();

    State poll();
    // The address and port once Found.
    const sockaddr_in& address() const { return m_address; }

private:
    struct Request;

    // Lookups dropped while the system was still working on them; each is
    // freed once the system is done with it.
    static std::vector<std::unique_ptr<Request>>& abandoned();
    static void free_finished_abandoned();

    void start(const std::string& host);
    void take_result();

    State m_state = State::Pending;
    sockaddr_in m_address{};
    std::unique_ptr<Request> m_request;
};

}  // namespace me
