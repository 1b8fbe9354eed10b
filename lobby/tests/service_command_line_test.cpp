#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "service_process.h"

namespace me::lobby::test {
namespace {

// A wrong command line or an unreachable Redis ends the program with a
// reason in its log instead of a service that half works.
TEST(LobbyServiceCommandLine, RefusesWhatItCannotServe) {
    const struct {
        std::vector<std::string> arguments;
        const char* reason;
    } cases[] = {
        {{"--port", "70000"}, "--port needs a number"},
        {{"--bind", "example.org"}, "is not an IPv4 address"},
        {{"--redis", "no-port-here"}, "--redis needs HOST:PORT"},
        {{"--shout"}, "unknown or incomplete option"},
#ifdef QUILLMOOR_LOBBY_REDIS
        {{"--redis", "127.0.0.1:1"}, "cannot connect to Redis"},
#else
        {{"--redis", "127.0.0.1:1"}, "no Redis support"},
#endif
    };
    for (const auto& c : cases) {
        ServiceProcess service(c.arguments);
        for (int i = 0; i < 300 && service.running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_FALSE(service.running()) << c.reason;
        EXPECT_NE(service.log().find(c.reason), std::string::npos) << service.log();
    }
}

}  // namespace
}  // namespace me::lobby::test
