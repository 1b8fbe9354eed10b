#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace me::lobby {

struct ServiceOptions {
    std::string bind_address = "0.0.0.0";
    uint16_t port = 0;
    bool port_given = false;
    std::string redis_host;  // empty: lobbies are kept in this process
    uint16_t redis_port = 0;
    bool help = false;
};

// Reads the command line; nothing and a logged reason when it is wrong.
std::optional<ServiceOptions> parse_service_options(int argc, const char* const* argv);
// Splits "HOST:PORT"; false when it is not that.
bool parse_host_port(const std::string& text, std::string& host, uint16_t& port);
std::string service_usage();

}  // namespace me::lobby
