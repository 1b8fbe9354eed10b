#include "lobby/service/service_options.h"

#include <charconv>
#include <string_view>

#include "lobby/service/service_log.h"

namespace me::lobby {
namespace {

bool parse_port(std::string_view text, uint16_t& port) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value > 65535) return false;
    port = static_cast<uint16_t>(value);
    return true;
}

}  // namespace

bool parse_host_port(const std::string& text, std::string& host, uint16_t& port) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    host = text.substr(0, colon);
    return parse_port(std::string_view(text).substr(colon + 1), port) && port != 0;
}

std::optional<ServiceOptions> parse_service_options(int argc, const char* const* argv) {
    ServiceOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--port" && has_value) {
            if (!parse_port(argv[++i], options.port)) {
                log_error(std::string("--port needs a number from 0 to 65535, not '") + argv[i] + "'");
                return std::nullopt;
            }
            options.port_given = true;
        } else if (arg == "--bind" && has_value) {
            options.bind_address = argv[++i];
        } else if (arg == "--redis" && has_value) {
            if (!parse_host_port(argv[++i], options.redis_host, options.redis_port)) {
                log_error(std::string("--redis needs HOST:PORT, not '") + argv[i] + "'");
                return std::nullopt;
            }
        } else {
            log_error("unknown or incomplete option '" + std::string(arg) + "'; see --help");
            return std::nullopt;
        }
    }
    if (!options.port_given && !options.help) {
        log_error("--port PORT is required; see --help");
        return std::nullopt;
    }
    return options;
}

std::string service_usage() {
    std::string usage =
        "usage: quillmoor-lobby --port PORT [--bind ADDRESS] [--redis HOST:PORT]\n"
        "  --port PORT         TCP port to listen on (0 picks a free one, logged at start)\n"
        "  --bind ADDRESS      IPv4 address to listen on (default 0.0.0.0)\n"
        "  --redis HOST:PORT   keep lobbies in Redis and relay through its pub/sub, so that\n"
        "                      several service processes serve one population\n";
#ifndef QUILLMOOR_LOBBY_REDIS
    usage += "This build has no Redis support (hiredis was not found when it was built).\n";
#endif
    return usage;
}

}  // namespace me::lobby
