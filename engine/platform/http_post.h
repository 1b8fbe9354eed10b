#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/host_lookup.h"
#include "script/engine_object.h"

namespace me {

// One HTTP POST of a form-encoded body to an "http://" URL, driven without
// blocking by update() calls from the game's frame: looking up the host,
// connecting, sending and receiving each move on a little at every update.
// Other schemes (https among them) are not supported.
class HTTPPost : public EngineObject {
public:
    static const ClassRecord kClassRecord;
    const ClassRecord& class_record() const override { return kClassRecord; }

    enum class Status { Idle = 0, InProgress = 1, Done = 2, Failed = 3 };

    static constexpr size_t kMaxResponseSize = 4 * 1024 * 1024;
    static constexpr std::chrono::seconds kTimeout{30};

    HTTPPost() = default;
    ~HTTPPost() override;

    // Drops any post in progress and starts this one; a failure to start is
    // logged and leaves the status Failed.
    void init(std::string_view url, std::string_view body);
    // Moves the post on; 1 while in progress, -1 once failed, 0 otherwise.
    int32_t update();
    Status status() const { return m_status; }
    // The body of the server's answer once done.
    const std::string& received_data() const { return m_received_data; }

private:
    bool start(std::string_view url, std::string_view body);
    bool advance();
    bool look_up_host();
    bool connected();
    bool send_request();
    bool receive();
    bool take_response(bool closed);
    bool fail(const std::string& message);
    void close_socket();

    Status m_status = Status::Idle;
    std::string m_url;
    std::string m_received_data;
    std::unique_ptr<HostLookup> m_lookup;  // while the host's address is sought
    int m_socket = -1;
    bool m_connecting = false;
    std::string m_request;
    size_t m_sent = 0;
    std::string m_response;
    std::chrono::steady_clock::time_point m_deadline;
};

}  // namespace me
