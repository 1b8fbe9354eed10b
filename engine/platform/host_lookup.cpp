#include "platform/host_lookup.h"

#include <arpa/inet.h>
#include <netdb.h>

namespace me {

// The system's request block and everything it points at, which must stay
// where they are until the system lets go of the request.
struct HostLookup::Request {
    std::string host;
    addrinfo hints{};
    gaicb block{};
};

// Never destroyed: the system may still write into a request while the
// process exits.
std::vector<std::unique_ptr<HostLookup::Request>>& HostLookup::abandoned() {
    static auto* requests = new std::vector<std::unique_ptr<Request>>();
    return *requests;
}

void HostLookup::free_finished_abandoned() {
    std::erase_if(abandoned(), [](const std::unique_ptr<Request>& request) {
        if (gai_error(&request->block) == EAI_INPROGRESS)
            return false;
        if (request->block.ar_result != nullptr)
            freeaddrinfo(request->block.ar_result);
        return true;
    });
}

HostLookup::HostLookup(const std::string& host, uint16_t port) {
    m_address.sin_family = AF_INET;
    m_address.sin_port = htons(port);
    free_finished_abandoned();
    if (inet_pton(AF_INET, host.c_str(), &m_address.sin_addr) == 1)
        m_state = State::Found;
    else
        start(host);
}

void HostLookup::start(const std::string& host) {
    m_request = std::make_unique<Request>();
    m_request->host = host;
    m_request->hints.ai_family = AF_INET;
    m_request->hints.ai_socktype = SOCK_STREAM;
    m_request->block.ar_name = m_request->host.c_str();
    m_request->block.ar_request = &m_request->hints;
    gaicb* list[] = {&m_request->block};
    if (getaddrinfo_a(GAI_NOWAIT, list, 1, nullptr) != 0) {
        m_request.reset();
        m_state = State::Failed;
    }
}

HostLookup::~HostLookup() {
    if (m_request == nullptr)
        return;
    if (gai_cancel(&m_request->block) == EAI_NOTCANCELED) {
        abandoned().push_back(std::move(m_request));
        return;
    }
    if (m_request->block.ar_result != nullptr)
        freeaddrinfo(m_request->block.ar_result);
}

HostLookup::State HostLookup::poll() {
    if (m_state == State::Pending && gai_error(&m_request->block) != EAI_INPROGRESS)
        take_result();
    return m_state;
}

void HostLookup::take_result() {
    addrinfo* result = m_request->block.ar_result;
    const bool found = gai_error(&m_request->block) == 0 && result != nullptr && result->ai_family == AF_INET;
    if (found)
        m_address.sin_addr = reinterpret_cast<const sockaddr_in*>(result->ai_addr)->sin_addr;
    if (result != nullptr)
        freeaddrinfo(result);
    m_request.reset();
    m_state = found ? State::Found : State::Failed;
}

}  // namespace me
