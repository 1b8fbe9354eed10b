#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "binding_test_vm.h"
#include "platform/host_lookup.h"
#include "platform/http_post.h"
#include "platform/http_response.h"

namespace me {
namespace {

using State = HttpResponse::State;

TEST(HttpResponse, BodiesEndByLengthChunksOrClose) {
    struct Case {
        std::string received;
        bool closed;
        State state;
        int status_code;
        std::string body;
    };
    const Case cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", false, State::Complete, 200, "hello"},
        {"HTTP/1.1 200 OK\r\ncontent-length:5\r\n\r\nhelloEXTRA", false, State::Complete, 200, "hello"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhel", false, State::Incomplete, 200, ""},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhel", true, State::Malformed, 200, ""},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3;x=1\r\nabc\r\n2\r\nde\r\n0\r\n\r\n", false,
         State::Complete, 200, "abcde"},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\nTrailer: 1\r\n", false,
         State::Incomplete, 200, "abc"},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n", false, State::Malformed, 200, ""},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nffffffffffffffff\r\nab", false, State::Incomplete, 200,
         ""},
        {"HTTP/1.0 200 OK\r\n\r\nuntil close", false, State::Incomplete, 200, "until close"},
        {"HTTP/1.0 200 OK\r\n\r\nuntil close", true, State::Complete, 200, "until close"},
        {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 201 Created\r\nContent-Length: 2\r\n\r\nok", false,
         State::Complete, 201, "ok"},
        {"HTTP/1.1 204 No Content\r\n\r\n", false, State::Complete, 204, ""},
        {"HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\nnope", false, State::Complete, 404, "nope"},
        {"HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n", false, State::Malformed, 200, ""},
        {"HTTP/1.1 200 OK\r\nno colon here\r\n\r\n", false, State::Malformed, 0, ""},
        {"SMTP 220 hello\r\n\r\n", false, State::Malformed, 0, ""},
        {"HTTP/1.1 2000 OK\r\n\r\n", false, State::Malformed, 0, ""},
        {"HTTP/1.1 200 OK\r\n", false, State::Incomplete, 0, ""},
        {"HTTP/1.1 200 OK\r\n", true, State::Malformed, 0, ""},
        {"HTTP/1.1 200 OK\r\nX: " + std::string(HttpResponse::kMaxHeaderSize, 'x'), false, State::Malformed, 0, ""},
    };
    for (const Case& c : cases) {
        const HttpResponse response = HttpResponse::parse(c.received, c.closed);
        EXPECT_EQ(response.state, c.state) << c.received;
        if (response.state == State::Complete) {
            EXPECT_EQ(response.status_code, c.status_code) << c.received;
            EXPECT_EQ(response.body, c.body) << c.received;
        }
    }
}

// A one-connection HTTP server on 127.0.0.1: it reads the request (head and
// Content-Length body), sends the canned answer in two parts and closes.
class LocalListener {
public:
    explicit LocalListener(std::string answer) : m_answer(std::move(answer)) {
        m_socket = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_EQ(bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(listen(m_socket, 1), 0);
        getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }

    ~LocalListener() {
        shutdown(m_socket, SHUT_RDWR);
        m_thread.join();
        close(m_socket);
    }

    int port() const { return m_port; }
    // What the server received; read after the post finished.
    const std::string& request() const { return m_request; }

private:
    void serve() {
        const int connection = accept(m_socket, nullptr, nullptr);
        if (connection < 0)
            return;
        char chunk[4096];
        while (!request_complete()) {
            const ssize_t received = recv(connection, chunk, sizeof chunk, 0);
            if (received <= 0)
                break;
            m_request.append(chunk, static_cast<size_t>(received));
        }
        const size_t half = m_answer.size() / 2;
        send(connection, m_answer.data(), half, MSG_NOSIGNAL);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        send(connection, m_answer.data() + half, m_answer.size() - half, MSG_NOSIGNAL);
        close(connection);
    }

    bool request_complete() const {
        const size_t head_end = m_request.find("\r\n\r\n");
        const size_t length_at = m_request.find("Content-Length: ");
        if (head_end == std::string::npos || length_at == std::string::npos)
            return false;
        return m_request.size() - head_end - 4 >= std::stoul(m_request.substr(length_at + 16));
    }

    std::string m_answer;
    std::string m_request;
    int m_socket = -1;
    int m_port = 0;
    std::thread m_thread;
};

// Calls update every millisecond until the post is no longer in progress.
int32_t finish(HTTPPost& post) {
    int32_t result = 1;
    for (int i = 0; i < 5000 && result == 1; ++i) {
        result = post.update();
        if (result == 1)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return result;
}

TEST(HostLookup, DottedAddressesAreFoundAtOnceAndNamesInTheBackground) {
    HostLookup dotted("127.0.0.2", 8080);
    EXPECT_EQ(dotted.poll(), HostLookup::State::Found);
    EXPECT_EQ(ntohl(dotted.address().sin_addr.s_addr), 0x7F000002u);
    EXPECT_EQ(ntohs(dotted.address().sin_port), 8080);

    HostLookup named("localhost", 80);
    HostLookup::State state = named.poll();
    for (int i = 0; i < 5000 && state == HostLookup::State::Pending; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        state = named.poll();
    }
    EXPECT_EQ(state, HostLookup::State::Found);
    EXPECT_EQ(ntohl(named.address().sin_addr.s_addr), 0x7F000001u);

    // Dropped while the system may still be at work: nothing must touch it.
    for (int i = 0; i < 3; ++i)
        HostLookup dropped("dropped-" + std::to_string(i) + ".invalid", 80);
    HostLookup after("10.0.0.1", 1);
    EXPECT_EQ(after.poll(), HostLookup::State::Found);
}

class HTTPPostTest : public test::BindingTest {};

TEST_F(HTTPPostTest, APostSendsItsBodyAndReceivesTheAnswer) {
    struct Case {
        std::string answer;
        int32_t result;
        HTTPPost::Status status;
        std::string data;
        std::string logged_end;  // the end of the error line, if one is logged
    };
    const Case cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 8\r\n\r\nscore=42", 0, HTTPPost::Status::Done, "score=42", ""},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nrank\r\n2\r\n=7\r\n0\r\n\r\n", 0,
         HTTPPost::Status::Done, "rank=7", ""},
        {"HTTP/1.0 200 OK\r\n\r\nclosed at the end", 0, HTTPPost::Status::Done, "closed at the end", ""},
        {"HTTP/1.1 500 Oops\r\nContent-Length: 4\r\n\r\nfail", -1, HTTPPost::Status::Failed, "fail",
         "/scores?game=1' answered 500."},
        {"garbage\r\n\r\n", -1, HTTPPost::Status::Failed, "", "/scores?game=1'."},
        {"", -1, HTTPPost::Status::Failed, "", "/scores?game=1'."},
    };
    for (const Case& c : cases) {
        LocalListener listener(c.answer);
        HTTPPost post;
        EXPECT_EQ(post.update(), 0) << "idle";
        post.init("http://localhost:" + std::to_string(listener.port()) + "/scores?game=1", "name=a%20b&score=42");
        EXPECT_EQ(post.status(), HTTPPost::Status::InProgress);
        EXPECT_EQ(finish(post), c.result) << c.answer;
        EXPECT_EQ(post.status(), c.status) << c.answer;
        EXPECT_EQ(post.received_data(), c.data) << c.answer;
        EXPECT_EQ(post.update(), c.result) << "the result stays";
        EXPECT_EQ(listener.request(), "POST /scores?game=1 HTTP/1.1\r\nHost: localhost:" +
                                          std::to_string(listener.port()) +
                                          "\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                                          "Content-Length: 19\r\nConnection: close\r\n\r\nname=a%20b&score=42");
        if (!c.logged_end.empty()) {
            EXPECT_NE(log_text().find(c.logged_end + "\n"), std::string::npos) << c.logged_end;
        }
    }
}

TEST_F(HTTPPostTest, PostsThatCannotStartFailAtOnceWithTheirReason) {
    const std::pair<std::string, std::string> cases[] = {
        {"https://example.com/", "error: HTTPPost: Not supported."},
        {"ftp://example.com/", "error: HTTPPost: Not supported."},
        {"http:///path", "error: HTTPPost: Invalid URL 'http:///path'."},
        {"http://host:99999/", "error: HTTPPost: Invalid URL 'http://host:99999/'."},
        {"http://host/a b", "error: HTTPPost: Invalid URL 'http://host/a b'."},
        {"http://host/\r\nX-Injected: 1", "error: HTTPPost: Invalid URL 'http://host/\r\nX-Injected: 1'."},
        {"http://user@host/", "error: HTTPPost: Invalid URL 'http://user@host/'."},
    };
    for (const auto& [url, line] : cases) {
        HTTPPost post;
        post.init(url, "x=1");
        EXPECT_EQ(post.status(), HTTPPost::Status::Failed) << url;
        EXPECT_EQ(post.update(), -1) << url;
        EXPECT_TRUE(logged(line)) << line;
    }
}

TEST_F(HTTPPostTest, ARefusedConnectionFails) {
    // A port that was just bound and let go has nobody listening on it.
    const int unused = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(unused, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    getsockname(unused, reinterpret_cast<sockaddr*>(&address), &length);
    close(unused);
    const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";
    HTTPPost post;
    post.init(url, "x=1");
    EXPECT_EQ(finish(post), -1);
    EXPECT_TRUE(logged("error: HTTPPost: Can't connect to '" + url + "'."));
}

TEST_F(HTTPPostTest, ScriptsDriveAPostAndAreCheckedForTheirArguments) {
    EXPECT_EQ(evaluate_integer("local p = ::HTTPPost(); p.init(\"https://example.com\", \"a=1\"); "
                               "return p.update();"),
              -1);
    EXPECT_TRUE(logged("error: HTTPPost: Not supported."));
    EXPECT_EQ(evaluate_string("local p = ::HTTPPost(); return p.get_received_data();"), "");
    EXPECT_EQ(evaluate_integer("return ::HTTPPost().update();"), 0);
    EXPECT_EQ(error_of("::HTTPPost().init(1, \"a\")"), "Expecting string.");
    EXPECT_EQ(error_of("::HTTPPost().init(\"http://a/\")"), "Expecting string.");
    EXPECT_EQ(error_of("::HTTPPost.update.call(::File())"), "Expecting HTTPPost");
    EXPECT_EQ(error_of("::HTTPPost.get_received_data.call({})"), "Expecting HTTPPost");
}

}  // namespace
}  // namespace me
