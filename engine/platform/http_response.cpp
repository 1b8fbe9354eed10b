#include "platform/http_response.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <optional>

namespace me {

namespace {

using State = HttpResponse::State;

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

template <typename T>
std::optional<T> parse_number(std::string_view text, int base) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

struct Head {
    int status_code = 0;
    std::optional<std::string_view> content_length;
    bool chunked = false;
    size_t size = 0;  // bytes up to and including the blank line
};

// "HTTP/1.x CODE reason" and the header lines; nothing when malformed.
std::optional<Head> parse_head(std::string_view head_text) {
    Head head;
    const size_t line_end = head_text.find("\r\n");
    const std::string_view status_line = head_text.substr(0, line_end);
    if (status_line.size() < 12 || status_line.substr(0, 7) != "HTTP/1." || status_line[8] != ' ')
        return std::nullopt;
    const std::optional<int> code = parse_number<int>(status_line.substr(9, 3), 10);
    if (!code || *code < 100 || (status_line.size() > 12 && status_line[12] != ' '))
        return std::nullopt;
    head.status_code = *code;
    const size_t headers_start = line_end == std::string_view::npos ? head_text.size() : line_end + 2;
    for (size_t start = headers_start; start < head_text.size();) {
        const size_t end = std::min(head_text.find("\r\n", start), head_text.size());
        const std::string_view line = head_text.substr(start, end - start);
        start = end + 2;
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            return std::nullopt;
        const std::string_view name = line.substr(0, colon);
        const std::string_view value = trimmed(line.substr(colon + 1));
        if (equal_ignoring_case(name, "Content-Length"))
            head.content_length = value;
        else if (equal_ignoring_case(name, "Transfer-Encoding"))
            head.chunked = equal_ignoring_case(value, "chunked");
    }
    return head;
}

// Chunks of "HEX-SIZE[;extensions]\r\nDATA\r\n", ended by a zero size and an
// empty line (trailer lines are skipped).
State read_chunked(std::string_view bytes, std::string& body) {
    size_t at = 0;
    while (true) {
        const size_t line_end = bytes.find("\r\n", at);
        if (line_end == std::string_view::npos)
            return State::Incomplete;
        const std::string_view line = bytes.substr(at, line_end - at);
        const std::optional<uint64_t> size = parse_number<uint64_t>(trimmed(line.substr(0, line.find(';'))), 16);
        if (!size)
            return State::Malformed;
        at = line_end + 2;
        if (*size == 0)
            break;
        const size_t available = bytes.size() - at;
        if (*size > available || available - *size < 2)
            return State::Incomplete;
        if (bytes.substr(at + *size, 2) != "\r\n")
            return State::Malformed;
        body.append(bytes.substr(at, *size));
        at += *size + 2;
    }
    while (true) {
        const size_t line_end = bytes.find("\r\n", at);
        if (line_end == std::string_view::npos)
            return State::Incomplete;
        if (line_end == at)
            return State::Complete;
        at = line_end + 2;
    }
}

State read_body(const Head& head, std::string_view bytes, bool closed, std::string& body) {
    if (head.status_code == 204 || head.status_code == 304)
        return State::Complete;
    if (head.chunked)
        return read_chunked(bytes, body);
    if (head.content_length) {
        const std::optional<uint64_t> length = parse_number<uint64_t>(*head.content_length, 10);
        if (!length)
            return State::Malformed;
        if (bytes.size() < *length)
            return State::Incomplete;
        body.assign(bytes.substr(0, *length));
        return State::Complete;
    }
    body.assign(bytes);
    return closed ? State::Complete : State::Incomplete;
}

}  // namespace

HttpResponse HttpResponse::parse(std::string_view received, bool closed) {
    HttpResponse response;
    while (true) {
        const size_t head_end = received.find("\r\n\r\n");
        if (head_end == std::string_view::npos) {
            const bool hopeless = closed || received.size() > kMaxHeaderSize;
            response.state = hopeless ? State::Malformed : State::Incomplete;
            return response;
        }
        const std::optional<Head> head = parse_head(received.substr(0, head_end));
        if (!head || head_end > kMaxHeaderSize) {
            response.state = State::Malformed;
            return response;
        }
        received.remove_prefix(head_end + 4);
        if (head->status_code >= 200) {
            response.status_code = head->status_code;
            response.state = read_body(*head, received, closed, response.body);
            if (response.state == State::Incomplete && closed)
                response.state = State::Malformed;
            return response;
        }
    }
}

}  // namespace me
