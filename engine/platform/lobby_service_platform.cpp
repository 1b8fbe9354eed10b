#include "platform/lobby_service_platform.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "core/cvar_default.h"
#include "core/log.h"

namespace me::platform {

namespace {

CVarDefault g_lobby_server_cvar("platform::lobby_server", "", CVarType::String);
// User ids, separated by spaces or commas, that the invite dialog invites:
// the service keeps no friends lists, so a game names its players' friends.
CVarDefault g_friends_cvar("platform::friends", "", CVarType::String);

std::vector<UserId> parse_user_ids(std::string_view text) {
    std::vector<UserId> users;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = std::min(text.find_first_of(" ,", at), text.size());
        const std::string_view word = text.substr(at, end - at);
        UserId user = 0;
        auto [stop, error] = std::from_chars(word.data(), word.data() + word.size(), user);
        if (!word.empty() && (error != std::errc() || stop != word.data() + word.size() || user == 0))
            log_warning(format_message("platform::friends: '%1' is not a user id, ignoring it", word));
        else if (!word.empty())
            users.push_back(user);
        at = end + 1;
    }
    return users;
}

lobby::LobbyType service_lobby_type(LobbyType type) {
    switch (type) {
    case LobbyType::Private:
        return lobby::LobbyType::Private;
    case LobbyType::FriendsOnly:
        return lobby::LobbyType::FriendsOnly;
    case LobbyType::Public:
        break;
    }
    return lobby::LobbyType::Public;
}

}  // namespace

bool LobbyServicePlatform::configured() { return !g_lobby_server_cvar.text().empty(); }

bool LobbyServicePlatform::init() {
    if (!OfflinePlatform::init())
        return false;
    m_friends = parse_user_ids(g_friends_cvar.text());
    if (m_link.open(g_lobby_server_cvar.text()))
        m_link.send(lobby::Hello{lobby::kProtocolVersion, local_user_id()});
    return true;
}

void LobbyServicePlatform::shutdown() {
    m_link.close();
    m_lobbies.clear();
    m_packets.clear();
    m_pending.clear();
    OfflinePlatform::shutdown();
}

bool LobbyServicePlatform::lobbies_available() const { return m_link.usable(); }

uint32_t LobbyServicePlatform::take_request() {
    const uint32_t request = m_next_request;
    m_next_request = m_next_request == UINT32_MAX ? 1 : m_next_request + 1;
    return request;
}

LobbyServicePlatform::LobbyCopy* LobbyServicePlatform::copy_of(LobbyId lobby) {
    auto found = m_lobbies.find(lobby);
    return found != m_lobbies.end() ? &found->second : nullptr;
}

bool LobbyServicePlatform::shares_lobby_with(UserId user) const {
    return std::any_of(m_lobbies.begin(), m_lobbies.end(), [user](const auto& entry) {
        const std::vector<UserId>& members = entry.second.members;
        return std::find(members.begin(), members.end(), user) != members.end();
    });
}

// ---------------------------------------------------------------------------
// Lobbies

CallHandle LobbyServicePlatform::create_lobby(LobbyType type, int32_t max_members) {
    if (max_members < 1 || static_cast<uint32_t>(max_members) > lobby::kMaxLobbyMembers) {
        log_error(format_message("A lobby holds 1 to %1 members, not %2", lobby::kMaxLobbyMembers, max_members));
        return kNoCall;
    }
    const uint32_t request = take_request();
    if (!m_link.send(lobby::CreateLobby{request, service_lobby_type(type), static_cast<uint32_t>(max_members)}))
        return kNoCall;
    m_pending[request] = {CallKind::Create, 0};
    return request;
}

CallHandle LobbyServicePlatform::join_lobby(LobbyId lobby) {
    const uint32_t request = take_request();
    if (lobby == 0 || !m_link.send(lobby::JoinLobby{request, lobby}))
        return kNoCall;
    m_pending[request] = {CallKind::Join, lobby};
    return request;
}

void LobbyServicePlatform::leave_lobby(LobbyId lobby) {
    if (m_lobbies.erase(lobby) != 0)
        m_link.send(lobby::LeaveLobby{lobby});
}

bool LobbyServicePlatform::is_valid_lobby(LobbyId lobby) const { return lobby != 0; }

UserId LobbyServicePlatform::lobby_owner(LobbyId lobby) {
    const LobbyCopy* copy = copy_of(lobby);
    return copy != nullptr ? copy->owner : 0;
}

int32_t LobbyServicePlatform::lobby_member_count(LobbyId lobby) {
    const LobbyCopy* copy = copy_of(lobby);
    return copy != nullptr ? static_cast<int32_t>(copy->members.size()) : 0;
}

UserId LobbyServicePlatform::lobby_member(LobbyId lobby, int32_t index) {
    const LobbyCopy* copy = copy_of(lobby);
    if (copy == nullptr || index < 0 || static_cast<size_t>(index) >= copy->members.size())
        return 0;
    return copy->members[static_cast<size_t>(index)];
}

std::string LobbyServicePlatform::lobby_data(LobbyId lobby, std::string_view key) {
    const LobbyCopy* copy = copy_of(lobby);
    if (copy == nullptr)
        return {};
    auto found = copy->data.find(key);
    return found != copy->data.end() ? found->second : std::string();
}

// The value is taken at once, as the service will confirm it to every member.
bool LobbyServicePlatform::set_lobby_data(LobbyId lobby, std::string_view key, std::string_view value) {
    LobbyCopy* copy = copy_of(lobby);
    if (copy == nullptr || copy->owner != local_user_id())
        return false;
    if (!m_link.send(lobby::SetLobbyData{take_request(), lobby, std::string(key), std::string(value)}))
        return false;
    copy->data[std::string(key)] = std::string(value);
    return true;
}

bool LobbyServicePlatform::send_lobby_chat(LobbyId lobby, const void* data, int32_t size) {
    if (copy_of(lobby) == nullptr || size <= 0 || static_cast<uint32_t>(size) > lobby::kMaxChatBytes)
        return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    return m_link.send(lobby::SendChat{lobby, std::vector<uint8_t>(bytes, bytes + size)});
}

std::optional<std::vector<uint8_t>> LobbyServicePlatform::lobby_chat_entry(LobbyId lobby, uint32_t chat_id,
                                                                           UserId& sender) {
    sender = 0;
    const LobbyCopy* copy = copy_of(lobby);
    if (copy == nullptr)
        return std::nullopt;
    auto found = copy->chat.find(chat_id);
    if (found == copy->chat.end())
        return std::nullopt;
    sender = found->second.first;
    return found->second.second;
}

void LobbyServicePlatform::activate_invite_dialog(LobbyId lobby) {
    if (copy_of(lobby) == nullptr)
        return;
    if (m_friends.empty())
        log_info("No friends to invite: platform::friends names none");
    for (UserId user : m_friends) {
        log_info(format_message("Inviting user %1 to lobby %2", user, lobby));
        m_link.send(lobby::InviteUser{take_request(), lobby, user});
    }
}

// ---------------------------------------------------------------------------
// Peer-to-peer packets

bool LobbyServicePlatform::send_p2p_packet(UserId remote, const void* data, uint32_t size, int32_t channel) {
    if (size == 0 || size > lobby::kMaxPacketBytes || channel < 0 || channel > lobby::kMaxChannel)
        return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    return m_link.send(lobby::SendPacket{remote, channel, std::vector<uint8_t>(bytes, bytes + size)});
}

const LobbyServicePlatform::Packet* LobbyServicePlatform::next_packet(int32_t channel) const {
    auto found = std::find_if(m_packets.begin(), m_packets.end(),
                              [channel](const Packet& packet) { return packet.channel == channel; });
    return found != m_packets.end() ? &*found : nullptr;
}

bool LobbyServicePlatform::is_p2p_packet_available(uint32_t& size, int32_t channel) {
    const Packet* packet = next_packet(channel);
    size = packet != nullptr ? static_cast<uint32_t>(packet->bytes.size()) : 0;
    return packet != nullptr;
}

bool LobbyServicePlatform::read_p2p_packet(void* buffer, uint32_t capacity, uint32_t& size, UserId& remote,
                                           int32_t channel) {
    auto found = std::find_if(m_packets.begin(), m_packets.end(),
                              [channel](const Packet& packet) { return packet.channel == channel; });
    if (found == m_packets.end())
        return false;
    size = static_cast<uint32_t>(found->bytes.size());
    remote = found->sender;
    std::memcpy(buffer, found->bytes.data(), std::min(size, capacity));
    m_packets.erase(found);
    return true;
}

bool LobbyServicePlatform::accept_p2p_session(UserId remote) {
    m_sessions.insert(remote);
    return true;
}

bool LobbyServicePlatform::close_p2p_session(UserId remote) {
    if (m_sessions.erase(remote) == 0)
        return false;
    m_link.send(lobby::CloseSession{remote});
    return true;
}

// Every packet goes through the service: sessions are relayed, and what
// waits is what the link has not yet written.
bool LobbyServicePlatform::p2p_session_state(UserId remote, P2PSessionState& state) {
    if (m_sessions.count(remote) == 0 && !shares_lobby_with(remote))
        return false;
    state = P2PSessionState{};
    state.connecting = m_link.state() == LobbyServiceLink::State::Connecting;
    state.active = m_link.state() == LobbyServiceLink::State::Open;
    state.using_relay = true;
    state.bytes_queued = static_cast<int32_t>(std::min<size_t>(m_link.queued_bytes(), INT32_MAX));
    return true;
}

// ---------------------------------------------------------------------------
// What the service sends

void LobbyServicePlatform::pump() {
    const bool was_usable = m_link.usable();
    std::vector<lobby::Message> received;
    m_link.pump(received);
    for (const lobby::Message& message : received)
        dispatch(message);
    if (was_usable && !m_link.usable())
        lost_the_service();
}

void LobbyServicePlatform::dispatch(const lobby::Message& message) {
    std::visit([this](const auto& m) { handle(m); }, message);
}

template <typename ClientMessage>
void LobbyServicePlatform::handle(const ClientMessage&) {
    log_warning(format_message("The lobby service sent a %1 message, which only clients send; ignoring it",
                               lobby::message_name(ClientMessage::kType)));
}

void LobbyServicePlatform::handle(const lobby::Welcome& welcome) {
    log_info(format_message("The lobby service at %1 welcomed user %2", m_link.address(), welcome.user));
}

void LobbyServicePlatform::handle(const lobby::LobbyCreatedReply& reply) {
    auto found = m_pending.find(reply.request);
    if (found == m_pending.end())
        return;
    m_pending.erase(found);
    m_callbacks.post_call_result(reply.request, LobbyCreated{static_cast<int32_t>(reply.result), reply.lobby});
}

void LobbyServicePlatform::handle(const lobby::LobbyEnterReply& reply) {
    auto found = m_pending.find(reply.request);
    if (found == m_pending.end())
        return;
    m_pending.erase(found);
    if (reply.response != lobby::EnterSuccess)
        m_lobbies.erase(reply.lobby);
    m_callbacks.post_call_result(reply.request, LobbyEnter{reply.lobby, 0, false, reply.response});
}

void LobbyServicePlatform::handle(const lobby::LobbySnapshot& snapshot) {
    LobbyCopy& copy = m_lobbies[snapshot.lobby];
    copy.owner = snapshot.owner;
    copy.members = snapshot.members;
    copy.data.clear();
    for (const lobby::LobbyDataEntry& entry : snapshot.data)
        copy.data[entry.key] = entry.value;
}

void LobbyServicePlatform::handle(const lobby::MemberChanged& change) {
    LobbyCopy* copy = copy_of(change.lobby);
    if (copy == nullptr)
        return;
    std::vector<UserId>& members = copy->members;
    std::erase(members, change.changed);
    if ((change.state_change & lobby::MemberEntered) != 0)
        members.push_back(change.changed);
    m_callbacks.post(LobbyChatUpdate{change.lobby, change.changed, change.making_change, change.state_change});
}

// The new owner is read when the member change that caused it is delivered.
void LobbyServicePlatform::handle(const lobby::OwnerChanged& change) {
    if (LobbyCopy* copy = copy_of(change.lobby))
        copy->owner = change.owner;
}

void LobbyServicePlatform::handle(const lobby::LobbyDataChanged& change) {
    LobbyCopy* copy = copy_of(change.lobby);
    if (copy == nullptr)
        return;
    if (change.value.empty())
        copy->data.erase(change.key);
    else
        copy->data[change.key] = change.value;
    m_callbacks.post(LobbyDataUpdate{change.lobby, change.lobby, true});
}

void LobbyServicePlatform::handle(const lobby::ChatEntry& entry) {
    LobbyCopy* copy = copy_of(entry.lobby);
    if (copy == nullptr)
        return;
    copy->chat[entry.chat_id] = {entry.sender, entry.data};
    while (copy->chat.size() > kKeptChatEntries)
        copy->chat.erase(copy->chat.begin());
    m_callbacks.post(LobbyChatMsg{entry.lobby, entry.sender, 1, entry.chat_id});
}

void LobbyServicePlatform::handle(const lobby::JoinRequested& request) {
    log_info(format_message("User %1 invites us to lobby %2", request.inviter, request.lobby));
    m_callbacks.post(GameLobbyJoinRequested{request.lobby, request.inviter});
}

void LobbyServicePlatform::handle(const lobby::PacketDelivery& delivery) {
    if (m_packets.size() >= kMaxHeldPackets) {
        log_warning(format_message("%1 peer-to-peer packets wait unread; dropping the oldest", m_packets.size()));
        m_packets.pop_front();
    }
    if (m_sessions.count(delivery.sender) == 0)
        m_callbacks.post(P2PSessionRequest{delivery.sender});
    m_packets.push_back({delivery.sender, delivery.channel, delivery.data});
}

void LobbyServicePlatform::handle(const lobby::SessionClosed& closed) { m_sessions.erase(closed.remote); }

void LobbyServicePlatform::handle(const lobby::PacketUndeliverable& undeliverable) {
    m_callbacks.post(P2PSessionConnectFail{undeliverable.receiver, undeliverable.error});
}

void LobbyServicePlatform::handle(const lobby::Error& error) {
    log_warning(format_message("The lobby service refused request %1 with error %2: %3", error.request,
                               static_cast<int32_t>(error.code), error.text));
    auto found = m_pending.find(error.request);
    if (error.request == 0 || found == m_pending.end())
        return;
    const PendingCall call = found->second;
    m_pending.erase(found);
    if (call.kind == CallKind::Create) {
        m_callbacks.post_call_result(error.request, LobbyCreated{ResultFail, 0});
        return;
    }
    const uint32_t response =
        error.code == lobby::ErrorCode::NoSuchLobby ? LobbyEnterDoesntExist : LobbyEnterError;
    m_callbacks.post_call_result(error.request, LobbyEnter{call.lobby, 0, false, response});
}

void LobbyServicePlatform::fail_pending_calls() {
    for (const auto& [request, call] : m_pending) {
        if (call.kind == CallKind::Create)
            m_callbacks.post_call_result(request, LobbyCreated{ResultFail, 0}, true);
        else
            m_callbacks.post_call_result(request, LobbyEnter{call.lobby, 0, false, LobbyEnterError}, true);
    }
    m_pending.clear();
}

// Without the service no member can be reached: each is reported as
// disconnected, and the lobbies are forgotten.
void LobbyServicePlatform::lost_the_service() {
    fail_pending_calls();
    for (const auto& [lobby, copy] : m_lobbies)
        for (UserId member : copy.members)
            if (member != local_user_id())
                m_callbacks.post(LobbyChatUpdate{lobby, member, member, lobby::MemberDisconnected});
    m_packets.clear();
    m_sessions.clear();
}

}  // namespace me::platform
