// quillmoor-lobby: the lobby service engines meet through. See README.md.
#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <memory>

#include "lobby/service/lobby_directory.h"
#include "lobby/service/lobby_server.h"
#include "lobby/service/service_log.h"
#include "lobby/service/service_options.h"
#ifdef QUILLMOOR_LOBBY_REDIS
#include "lobby/service/redis_lobby_backend.h"
#endif

namespace {

volatile std::sig_atomic_t g_stop = 0;

void request_stop(int) { g_stop = 1; }

// Every client is a descriptor; take all the system allows.
void raise_descriptor_limit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0)
        me::lobby::log_info("open file limit: " + std::to_string(limit.rlim_cur));
}

std::unique_ptr<me::lobby::LobbyBackend> make_backend(const me::lobby::ServiceOptions& options,
                                                      me::lobby::Mailbox& mailbox) {
    if (options.redis_host.empty()) return std::make_unique<me::lobby::LobbyDirectory>(mailbox);
#ifdef QUILLMOOR_LOBBY_REDIS
    return me::lobby::RedisLobbyBackend::connect(options.redis_host, options.redis_port, mailbox);
#else
    me::lobby::log_error("--redis given, but this build of quillmoor-lobby has no Redis support "
                         "(install libhiredis-dev and rebuild)");
    return nullptr;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    const auto options = me::lobby::parse_service_options(argc, argv);
    if (!options) return 2;
    if (options->help) {
        std::fputs(me::lobby::service_usage().c_str(), stdout);
        return 0;
    }
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGINT, request_stop);
    std::signal(SIGTERM, request_stop);
    raise_descriptor_limit();
    me::lobby::LobbyServer server;
    if (!server.listen(options->bind_address, options->port)) return 1;
    const std::unique_ptr<me::lobby::LobbyBackend> backend = make_backend(*options, server);
    if (!backend) return 1;
    server.run(*backend, &g_stop);
    me::lobby::log_info("quillmoor-lobby stopped");
    return backend->failed() ? 1 : 0;
}
