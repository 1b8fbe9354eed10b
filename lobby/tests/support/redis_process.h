#pragma once

#include <sys/types.h>

#include <cstdint>

namespace me::lobby::test {

// A private redis-server on a free loopback port, without persistence,
// killed when the object goes.
class RedisProcess {
public:
    explicit RedisProcess(const char* program);
    ~RedisProcess();
    RedisProcess(const RedisProcess&) = delete;
    RedisProcess& operator=(const RedisProcess&) = delete;

    // 0 when the server did not accept connections within a few seconds.
    uint16_t port() const { return m_port; }

private:
    pid_t m_pid = -1;
    uint16_t m_port = 0;
};

}  // namespace me::lobby::test
