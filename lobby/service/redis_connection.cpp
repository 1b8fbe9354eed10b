#include "lobby/service/redis_connection.h"

#include "lobby/service/service_log.h"

namespace me::lobby {

bool RedisConnection::connect(const std::string& host, uint16_t port) {
    const timeval timeout{5, 0};
    m_context.reset(redisConnectWithTimeout(host.c_str(), port, timeout));
    if (!m_context || m_context->err) {
        fail("cannot connect to Redis at " + host + ":" + std::to_string(port) + ": " +
             (m_context ? m_context->errstr : "out of memory"));
        return false;
    }
    return true;
}

void RedisConnection::fail(const std::string& why) {
    if (!m_failed) log_error(why);
    m_failed = true;
}

RedisReply RedisConnection::command(const std::vector<std::string_view>& arguments) {
    if (m_failed) return nullptr;
    std::vector<const char*> pointers;
    std::vector<size_t> sizes;
    for (std::string_view argument : arguments) {
        pointers.push_back(argument.data());
        sizes.push_back(argument.size());
    }
    RedisReply reply(static_cast<redisReply*>(
        redisCommandArgv(m_context.get(), static_cast<int>(arguments.size()), pointers.data(), sizes.data())));
    if (!reply) fail(std::string("lost the connection to Redis: ") + m_context->errstr);
    return reply;
}

std::vector<std::string_view> RedisConnection::script_command(const std::string& sha,
                                                             const std::vector<std::string_view>& arguments) {
    std::vector<std::string_view> full = {"EVALSHA", sha, "0"};
    full.insert(full.end(), arguments.begin(), arguments.end());
    return full;
}

void RedisConnection::send_script(const std::string& sha, const std::vector<std::string_view>& arguments) {
    if (m_failed) return;
    const std::vector<std::string_view> full = script_command(sha, arguments);
    std::vector<const char*> pointers;
    std::vector<size_t> sizes;
    for (std::string_view argument : full) {
        pointers.push_back(argument.data());
        sizes.push_back(argument.size());
    }
    if (redisAppendCommandArgv(m_context.get(), static_cast<int>(full.size()), pointers.data(), sizes.data()) !=
        REDIS_OK)
        fail(std::string("cannot queue a Redis command: ") + m_context->errstr);
}

RedisReply RedisConnection::take_reply() {
    if (m_failed) return nullptr;
    void* raw = nullptr;
    if (redisGetReply(m_context.get(), &raw) != REDIS_OK || raw == nullptr) {
        fail(std::string("lost the connection to Redis: ") + m_context->errstr);
        return nullptr;
    }
    RedisReply reply(static_cast<redisReply*>(raw));
    if (reply->type == REDIS_REPLY_ERROR) {
        log_error("a Redis script failed: " + std::string(reply->str, reply->len));
        return nullptr;
    }
    return reply;
}

RedisReply RedisConnection::run_script(const std::string& sha, const std::vector<std::string_view>& arguments) {
    RedisReply reply = command(script_command(sha, arguments));
    if (reply && reply->type == REDIS_REPLY_ERROR) {
        log_error("a Redis script failed: " + std::string(reply->str, reply->len));
        return nullptr;
    }
    return reply;
}

std::string RedisConnection::load_script(const std::string& source) {
    RedisReply reply = command({"SCRIPT", "LOAD", source});
    if (!reply || reply->type != REDIS_REPLY_STRING) {
        fail("Redis refused a script: " + (reply ? std::string(reply->str, reply->len) : std::string()));
        return {};
    }
    return std::string(reply->str, reply->len);
}

bool RedisConnection::subscribe(const std::string& channel) {
    RedisReply reply = command({"SUBSCRIBE", channel});
    if (!reply || reply->type != REDIS_REPLY_ARRAY) {
        fail("cannot subscribe to Redis channel " + channel);
        return false;
    }
    return true;
}

std::vector<std::string> RedisConnection::read_published() {
    std::vector<std::string> payloads;
    if (m_failed) return payloads;
    // Called only when the descriptor is readable, so this read does not block.
    if (redisBufferRead(m_context.get()) != REDIS_OK) {
        fail(std::string("lost the Redis subscription: ") + m_context->errstr);
        return payloads;
    }
    for (;;) {
        void* raw = nullptr;
        if (redisReaderGetReply(m_context->reader, &raw) != REDIS_OK) {
            fail("unreadable reply on the Redis subscription");
            break;
        }
        if (raw == nullptr) break;
        RedisReply reply(static_cast<redisReply*>(raw));
        if (reply->type == REDIS_REPLY_ARRAY && reply->elements == 3 &&
            std::string_view(reply->element[0]->str, reply->element[0]->len) == "message")
            payloads.emplace_back(reply->element[2]->str, reply->element[2]->len);
    }
    return payloads;
}

}  // namespace me::lobby
