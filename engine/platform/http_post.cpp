#include "platform/http_post.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <optional>

#include "core/log.h"
#include "platform/http_response.h"

namespace me {

const ClassRecord HTTPPost::kClassRecord{"HTTPPost", &EngineObject::kClassRecord};

namespace {

constexpr std::string_view kScheme = "http://";
constexpr size_t kReceiveChunk = 16 * 1024;

struct HttpUrl {
    std::string host;
    uint16_t port = 80;
    std::string authority;  // host[:port], for the Host header
    std::string target;     // path and query, at least "/"
};

bool is_host_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

// Bytes that would break the request line or smuggle a header.
bool is_url_char(char c) { return static_cast<unsigned char>(c) > 0x20 && c != 0x7f; }

bool has_http_scheme(std::string_view url) {
    if (url.size() < kScheme.size())
        return false;
    for (size_t i = 0; i < kScheme.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(url[i])) != kScheme[i])
            return false;
    return true;
}

std::optional<HttpUrl> parse_url(std::string_view url) {
    for (char c : url)
        if (!is_url_char(c))
            return std::nullopt;
    url.remove_prefix(kScheme.size());
    url = url.substr(0, url.find('#'));
    const size_t authority_end = std::min(url.find('/'), url.find('?'));
    HttpUrl parsed;
    parsed.authority = std::string(url.substr(0, authority_end));
    parsed.target = authority_end == std::string_view::npos ? "/" : std::string(url.substr(authority_end));
    if (parsed.target.front() == '?')
        parsed.target.insert(0, "/");
    const std::string_view authority = parsed.authority;
    const size_t colon = authority.find(':');
    parsed.host = std::string(authority.substr(0, colon));
    if (colon != std::string_view::npos) {
        const std::string_view port = authority.substr(colon + 1);
        const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), parsed.port);
        if (port.empty() || error != std::errc() || end != port.data() + port.size() || parsed.port == 0)
            return std::nullopt;
    }
    if (parsed.host.empty() || !std::all_of(parsed.host.begin(), parsed.host.end(), is_host_char))
        return std::nullopt;
    return parsed;
}

// Put together by hand: the target may hold '%' escapes that a message
// format would take for placeholders.
std::string request_for(const HttpUrl& url, std::string_view body) {
    std::string request = "POST " + url.target + " HTTP/1.1\r\nHost: " + url.authority +
                          "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                          std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
    request.append(body);
    return request;
}

}  // namespace

HTTPPost::~HTTPPost() { close_socket(); }

void HTTPPost::init(std::string_view url, std::string_view body) {
    close_socket();
    m_url = std::string(url);
    m_received_data.clear();
    m_response.clear();
    m_request.clear();
    m_sent = 0;
    m_status = start(url, body) ? Status::InProgress : Status::Failed;
}

bool HTTPPost::start(std::string_view url, std::string_view body) {
    if (!has_http_scheme(url))
        return fail("HTTPPost: Not supported.");
    const std::optional<HttpUrl> parsed = parse_url(url);
    if (!parsed)
        return fail(format_message("HTTPPost: Invalid URL '%1'.", url));
    m_lookup = std::make_unique<HostLookup>(parsed->host, parsed->port);
    m_request = request_for(*parsed, body);
    m_deadline = std::chrono::steady_clock::now() + kTimeout;
    return true;
}

int32_t HTTPPost::update() {
    if (m_status == Status::InProgress && !advance())
        m_status = Status::Failed;
    switch (m_status) {
    case Status::InProgress:
        return 1;
    case Status::Failed:
        return -1;
    case Status::Idle:
    case Status::Done:
        break;
    }
    return 0;
}

// False once the post has failed; the status becomes Done inside when the
// answer is complete.
bool HTTPPost::advance() {
    if (std::chrono::steady_clock::now() > m_deadline)
        return fail(format_message("HTTPPost: No answer from '%1' in %2 seconds.", m_url,
                                   static_cast<int64_t>(kTimeout.count())));
    if (m_lookup != nullptr)
        return look_up_host();
    if (m_connecting && !connected())
        return m_socket >= 0;
    return send_request() && receive();
}

// Waits for the host's address, then starts connecting to it.
bool HTTPPost::look_up_host() {
    const HostLookup::State state = m_lookup->poll();
    if (state == HostLookup::State::Pending)
        return true;
    const sockaddr_in address = m_lookup->address();
    m_lookup.reset();
    if (state == HostLookup::State::Failed)
        return fail(format_message("HTTPPost: Can't resolve the host of '%1'.", m_url));
    m_socket = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int no_delay = 1;
    const bool started =
        m_socket >= 0 && setsockopt(m_socket, IPPROTO_TCP, TCP_NODELAY, &no_delay, sizeof no_delay) == 0 &&
        (connect(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 || errno == EINPROGRESS);
    if (!started)
        return fail(format_message("HTTPPost: Can't connect to '%1'.", m_url));
    m_connecting = true;
    return true;
}

// Whether the connection is made; a refused one closes the socket.
bool HTTPPost::connected() {
    pollfd poll_entry{m_socket, POLLOUT, 0};
    if (poll(&poll_entry, 1, 0) <= 0)
        return false;
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(m_socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
        fail(format_message("HTTPPost: Can't connect to '%1'.", m_url));
        return false;
    }
    m_connecting = false;
    return true;
}

bool HTTPPost::send_request() {
    while (m_sent < m_request.size()) {
        const ssize_t sent = send(m_socket, m_request.data() + m_sent, m_request.size() - m_sent, MSG_NOSIGNAL);
        if (sent < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ||
                   fail(format_message("HTTPPost: Can't send to '%1'.", m_url));
        m_sent += static_cast<size_t>(sent);
    }
    return true;
}

bool HTTPPost::receive() {
    char chunk[kReceiveChunk];
    while (m_socket >= 0) {
        const ssize_t received = recv(m_socket, chunk, sizeof chunk, 0);
        if (received < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ||
                   fail(format_message("HTTPPost: Connection to '%1' lost.", m_url));
        if (m_response.size() + static_cast<size_t>(received) > kMaxResponseSize)
            return fail(format_message("HTTPPost: The answer from '%1' is larger than %2 bytes.", m_url,
                                       static_cast<uint64_t>(kMaxResponseSize)));
        m_response.append(chunk, static_cast<size_t>(received));
        if (!take_response(received == 0))
            return false;
    }
    return true;
}

// Looks at what has arrived; the socket closes once the answer is complete.
bool HTTPPost::take_response(bool closed) {
    HttpResponse response = HttpResponse::parse(m_response, closed);
    if (response.state == HttpResponse::State::Incomplete)
        return true;
    if (response.state == HttpResponse::State::Malformed)
        return fail(format_message("HTTPPost: Malformed answer from '%1'.", m_url));
    close_socket();
    m_received_data = std::move(response.body);
    if (response.status_code < 200 || response.status_code > 299)
        return fail(format_message("HTTPPost: '%1' answered %2.", m_url, response.status_code));
    m_status = Status::Done;
    return true;
}

bool HTTPPost::fail(const std::string& message) {
    log_error(message);
    close_socket();
    return false;
}

void HTTPPost::close_socket() {
    m_lookup.reset();
    if (m_socket >= 0)
        ::close(m_socket);
    m_socket = -1;
    m_connecting = false;
}

}  // namespace me
