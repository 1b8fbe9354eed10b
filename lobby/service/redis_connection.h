#pragma once

#include <hiredis/hiredis.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace me::lobby {

struct RedisReplyDeleter {
    void operator()(redisReply* reply) const { freeReplyObject(reply); }
};
using RedisReply = std::unique_ptr<redisReply, RedisReplyDeleter>;

// One connection to Redis through hiredis: blocking commands with binary
// arguments, or (after subscribe) a stream of published messages read
// without blocking once the descriptor is readable. Any failure is logged
// and leaves the connection failed for good: a service process without its
// Redis has nothing it may serve.
class RedisConnection {
public:
    bool connect(const std::string& host, uint16_t port);
    bool failed() const { return m_failed; }

    RedisReply command(const std::vector<std::string_view>& arguments);
    // Runs a script loaded with load_script; nothing (logged) on an error reply.
    RedisReply run_script(const std::string& sha, const std::vector<std::string_view>& arguments);
    // Sends a script run without waiting for its answer; take_reply()
    // returns the answers in the order the runs were sent.
    void send_script(const std::string& sha, const std::vector<std::string_view>& arguments);
    RedisReply take_reply();
    // SCRIPT LOAD; the script's SHA, empty on failure.
    std::string load_script(const std::string& source);

    bool subscribe(const std::string& channel);
    int fd() const { return m_context ? m_context->fd : -1; }
    // Reads what arrived and returns the payloads of the published messages.
    std::vector<std::string> read_published();

private:
    void fail(const std::string& why);
    static std::vector<std::string_view> script_command(const std::string& sha,
                                                        const std::vector<std::string_view>& arguments);

    struct ContextDeleter {
        void operator()(redisContext* context) const { redisFree(context); }
    };
    std::unique_ptr<redisContext, ContextDeleter> m_context;
    bool m_failed = false;
};

}  // namespace me::lobby
