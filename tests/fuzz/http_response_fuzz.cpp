// Fuzz target for the reader of HTTP answers that HTTPPost receives. Any
// bytes may come from a server: the reader must never read past them, must
// decide once the connection is closed, and must not change a decided answer
// when the close is learnt afterwards.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/http_response.h"

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using me::HttpResponse;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const HttpResponse open = HttpResponse::parse(bytes, false);
    const HttpResponse closed = HttpResponse::parse(bytes, true);
    require(open.body.size() <= size && closed.body.size() <= size);
    require(closed.state != HttpResponse::State::Incomplete);
    if (open.state != HttpResponse::State::Incomplete) {
        require(closed.state == open.state);
        require(closed.body == open.body && closed.status_code == open.status_code);
    }
    if (closed.state == HttpResponse::State::Complete)
        require(closed.status_code >= 200 && closed.status_code <= 999);
    return 0;
}
