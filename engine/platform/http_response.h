#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace me {

// An HTTP/1.x response read from a byte stream: complete once its body has
// arrived by its Content-Length, by chunked transfer encoding, or (with
// neither) when the server closed the connection. Interim 1xx answers are
// skipped.
struct HttpResponse {
    enum class State { Incomplete, Complete, Malformed };

    static constexpr size_t kMaxHeaderSize = 16 * 1024;

    State state = State::Incomplete;
    int status_code = 0;
    std::string body;

    // Reads the response from every byte received so far; closed says that
    // no more will come.
    static HttpResponse parse(std::string_view received, bool closed);
};

}  // namespace me
