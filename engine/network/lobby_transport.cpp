#include "network/lobby_transport.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "core/command_line.h"
#include "core/log.h"
#include "network/connection_manager.h"

namespace me {

namespace {

constexpr std::array<uint8_t, 4> kKickWord = {'K', 'I', 'C', 'K'};

const char* yes_no(bool value) { return value ? "true" : "false"; }

NetworkResult reason_of_entry_response(uint32_t response) {
    switch (response) {
    case platform::LobbyEnterDoesntExist:
        return NetworkResult::NotExists;
    case platform::LobbyEnterNotAllowed:
        return NetworkResult::Deny;
    case platform::LobbyEnterFull:
        return NetworkResult::Full;
    case platform::LobbyEnterError:
        return NetworkResult::System;
    default:
        return response >= 6 && response <= 11 ? NetworkResult::Deny : NetworkResult::System;
    }
}

// Banned wins over kicked, kicked over disconnected, disconnected over left.
NetworkResult reason_of_member_change(uint32_t change) {
    if ((change & platform::MemberBanned) != 0)
        return NetworkResult::Deny;
    if ((change & platform::MemberKicked) != 0)
        return NetworkResult::Kick;
    if ((change & platform::MemberDisconnected) != 0)
        return NetworkResult::Disconnect;
    return NetworkResult::Leave;
}

void put_le32(uint8_t* out, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(bits >> (8 * i));
}

int32_t get_le32(const uint8_t* in) {
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<uint32_t>(in[i]) << (8 * i);
    return static_cast<int32_t>(bits);
}

std::optional<int64_t> parse_decimal(std::string_view text) {
    int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

}  // namespace

LobbyTransport::LobbyTransport(ConnectionManager& manager) : m_manager(manager) {}

LobbyTransport::~LobbyTransport() { teardown(); }

// ---------------------------------------------------------------------------
// Start-up and teardown

void LobbyTransport::start(platform::PlatformClient* platform) {
    teardown();
    m_platform = platform;
    if (m_platform == nullptr)
        return;
    m_invitation_listener = m_platform->callbacks().add_listener<platform::GameLobbyJoinRequested>(
        [this](const platform::GameLobbyJoinRequested& request) {
            if (m_platform->is_valid_lobby(request.lobby))
                invitation(request.lobby);
        });
}

void LobbyTransport::teardown() {
    if (m_platform == nullptr)
        return;
    if (m_manager.mode() == ConnectionManager::Lobby) {
        if (m_platform->is_valid_lobby(m_lobby))
            m_platform->leave_lobby(m_lobby);
        abandon_pending_calls();
        unregister_lobby_listeners();
        return_to_no_mode();
    }
    m_platform->callbacks().remove_listener(m_invitation_listener);
    m_invitation_listener = 0;
    m_platform = nullptr;
}

void LobbyTransport::accept_command_line(int argc, char** argv) {
    for (int index = 1; index + 1 < argc; ++index) {
        if (argv[index] == nullptr || !is_connect_lobby_flag(argv[index]))
            continue;
        const std::string_view text = argv[index + 1] != nullptr ? argv[index + 1] : "";
        platform::LobbyId lobby = 0;
        if (!parse_lobby_id(text, lobby)) {
            log_warning(format_message("'%1' after %2 is not a lobby id, ignoring it", text, argv[index]));
            continue;
        }
        if (lobby != 0)
            invitation(lobby);
    }
}

bool LobbyTransport::parse_lobby_id(std::string_view text, platform::LobbyId& lobby) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), lobby);
    return error == std::errc() && end == text.data() + text.size();
}

bool LobbyTransport::lobbies_available() const { return m_platform != nullptr && m_platform->lobbies_available(); }

// ---------------------------------------------------------------------------
// Helpers over the manager's connections

ConnectionEventHandler* LobbyTransport::handler() const { return m_manager.m_handler.get(); }

platform::UserId LobbyTransport::own_user() const { return m_platform->local_user_id(); }

// After a script callback: the script may have left (or left and re-entered)
// the lobby from inside it, and then nothing of the old lobby goes on.
bool LobbyTransport::still_joined(platform::LobbyId lobby) const {
    return m_manager.mode() == ConnectionManager::Lobby && m_state == Joined && m_lobby == lobby;
}

Connection* LobbyTransport::member(platform::UserId user) {
    for (const std::unique_ptr<Connection>& connection : m_manager.m_connections) {
        if (connection->direction == Connection::Lobby && connection->peer_user == user)
            return connection.get();
    }
    return nullptr;
}

Connection& LobbyTransport::add_member(platform::UserId user) {
    Connection& connection = m_manager.add_connection(Connection::Lobby, TcpSocket());
    connection.node_id = static_cast<NodeId>(platform::account_number(user));
    connection.peer_user = user;
    connection.game_protocol = m_game_protocol;
    return connection;
}

void LobbyTransport::remove_member(Connection& member) {
    if (member.peer_user != own_user())
        m_platform->close_p2p_session(member.peer_user);
    m_manager.remove_connection(member);
}

void LobbyTransport::enter_lobby_mode(State state, int32_t game_protocol) {
    m_manager.m_mode = ConnectionManager::Lobby;
    m_state = state;
    m_game_protocol = game_protocol;
    register_lobby_listeners();
}

void LobbyTransport::return_to_no_mode() {
    m_manager.m_mode = ConnectionManager::None;
    m_state = NotInLobby;
    m_game_protocol = -1;
    m_lobby = 0;
    m_owner = 0;
    m_manager.m_own_node = kNoNode;
    m_manager.remove_all_connections();
}

// ---------------------------------------------------------------------------
// Creating, joining and leaving

bool LobbyTransport::create_lobby(bool friends_only, int32_t max_members, int32_t game_protocol) {
    if (m_manager.mode() != ConnectionManager::None) {
        log_error("Tried to create a lobby, but the manager is already initialized");
        return false;
    }
    const platform::LobbyType type = friends_only ? platform::LobbyType::FriendsOnly : platform::LobbyType::Public;
    const platform::CallHandle call =
        m_platform != nullptr ? m_platform->create_lobby(type, max_members) : platform::kNoCall;
    if (call == platform::kNoCall) {
        log_error("Failed to create new Steam lobby");
        return false;
    }
    m_create_call = call;
    m_platform->callbacks().set_call_result<platform::LobbyCreated>(
        call, [this](const platform::LobbyCreated& result, bool io_failure) { lobby_created(result, io_failure); });
    enter_lobby_mode(Creating, game_protocol);
    return true;
}

void LobbyTransport::lobby_created(const platform::LobbyCreated& result, bool io_failure) {
    m_create_call = platform::kNoCall;
    if (m_state != Creating) {
        log_warning("Received lobby_created callback while no longer creating a lobby");
        return;
    }
    const char* failure = nullptr;
    if (io_failure)
        failure = "Lobby create failed";
    else if (result.result != platform::ResultOk)
        failure = "Lobby create failed with error code %1";
    else if (m_platform->lobby_owner(result.lobby) != own_user())
        failure = "Lobby created but we are not its host";
    if (failure != nullptr) {
        log_error(format_message(failure, result.result));
        if (!io_failure && result.result == platform::ResultOk)
            m_platform->leave_lobby(result.lobby);
        unregister_lobby_listeners();
        return_to_no_mode();
        if (handler() != nullptr)
            handler()->on_lobby_create_failed(NetworkResult::System);
        return;
    }
    m_lobby = result.lobby;
    m_state = Joined;
    m_owner = own_user();
    m_manager.m_own_node = static_cast<NodeId>(platform::account_number(own_user()));
    add_member(own_user());
    log_info(format_message("Steam lobby created: id = %1, our node id = %2", m_lobby, m_manager.own_node_id()));
    m_platform->set_lobby_data(m_lobby, kGameProtocolKey, std::to_string(m_game_protocol));
    m_platform->set_lobby_data(m_lobby, kInternalProtocolKey, std::to_string(ConnectionManager::kInternalProtocol));
    if (handler() == nullptr)
        return;
    const platform::LobbyId lobby = m_lobby;
    const NetworkResult answer = handler()->on_lobby_create_succeeded(lobby, m_manager.own_node_id());
    if (answer != NetworkResult::Ok && still_joined(lobby)) {
        log_error(format_message("Lobby create callback refused the lobby creation with result %1, leaving it again",
                                 static_cast<int32_t>(answer)));
        leave_lobby(answer);
    }
}

bool LobbyTransport::join_lobby(platform::LobbyId lobby, int32_t game_protocol) {
    if (m_manager.mode() != ConnectionManager::None) {
        log_error("Tried to join a lobby, but the manager is already initialized");
        return false;
    }
    m_lobby = lobby;
    const platform::CallHandle call = m_platform != nullptr ? m_platform->join_lobby(lobby) : platform::kNoCall;
    if (call == platform::kNoCall) {
        log_error("Failed to join Steam lobby");
        m_lobby = 0;
        return false;
    }
    m_enter_call = call;
    m_platform->callbacks().set_call_result<platform::LobbyEnter>(
        call, [this](const platform::LobbyEnter& result, bool io_failure) { lobby_entered(result, io_failure); });
    enter_lobby_mode(Joining, game_protocol);
    return true;
}

void LobbyTransport::lobby_entered(const platform::LobbyEnter& result, bool io_failure) {
    m_enter_call = platform::kNoCall;
    if (m_state != Joining) {
        log_warning("Received lobby_entered callback while no longer joining a lobby");
        return;
    }
    NetworkResult reason = NetworkResult::Ok;
    if (io_failure) {
        log_error("Lobby join failed");
        reason = NetworkResult::System;
    } else if (result.response != platform::LobbyEnterSuccess) {
        log_error(format_message("Lobby join failed with error code %1", result.response));
        reason = reason_of_entry_response(result.response);
    }
    if (reason != NetworkResult::Ok) {
        unregister_lobby_listeners();
        return_to_no_mode();
        if (handler() != nullptr)
            handler()->on_lobby_join_failed(reason);
        return;
    }
    m_lobby = result.lobby;
    if (!lobby_attributes_match()) {
        log_error("Required lobby attribute check failed, leaving the lobby");
        // Left before the script hears of it, so that it may try another
        // lobby from inside the callback.
        leave_lobby(NetworkResult::Protocol);
        if (handler() != nullptr)
            handler()->on_lobby_join_failed(NetworkResult::Protocol);
        return;
    }
    m_state = Joined;
    const platform::UserId owner = m_platform->lobby_owner(m_lobby);
    if (owner == own_user())
        m_owner = owner;
    m_manager.m_own_node = static_cast<NodeId>(platform::account_number(own_user()));
    add_member(own_user());
    const bool is_host = m_owner == own_user();
    log_info(format_message("Steam lobby joined: id = %1, our node id = %2, we are host = %3", m_lobby,
                            m_manager.own_node_id(), yes_no(is_host)));
    const platform::LobbyId lobby = m_lobby;
    if (handler() != nullptr) {
        const NetworkResult answer = handler()->on_lobby_join_succeeded(lobby, m_manager.own_node_id(), is_host);
        if (answer != NetworkResult::Ok && still_joined(lobby)) {
            log_error("Lobby join callback refused the lobby join, leaving it again");
            leave_lobby(answer);
        }
    }
    if (still_joined(lobby))
        add_current_members();
}

bool LobbyTransport::lobby_attributes_match() {
    const std::pair<const char*, int64_t> expected[] = {
        {kGameProtocolKey, m_game_protocol},
        {kInternalProtocolKey, ConnectionManager::kInternalProtocol},
    };
    bool match = true;
    for (const auto& [key, value] : expected) {
        const std::string text = m_platform->lobby_data(m_lobby, key);
        if (text.empty()) {
            log_warning(format_message(
                "Lobby attribute '%1' value mismatch, expected %2, the attribute is not defiend", key, value));
            match = false;
        } else if (parse_decimal(text) != value) {
            log_warning(format_message("Lobby attribute '%1' value mismatch, expected %2, got %3", key, value, text));
            match = false;
        }
    }
    return match;
}

void LobbyTransport::add_current_members() {
    const platform::LobbyId lobby = m_lobby;
    const int32_t count = m_platform->lobby_member_count(lobby);
    for (int32_t index = 0; index < count && still_joined(lobby); ++index) {
        const platform::UserId user = m_platform->lobby_member(lobby, index);
        if (user != 0 && member(user) == nullptr)
            member_joined(user);
    }
}

void LobbyTransport::member_joined(platform::UserId user) {
    const platform::LobbyId lobby = m_lobby;
    const bool is_host = m_platform->lobby_owner(lobby) == user;
    if (is_host)
        m_owner = user;
    const NodeId node = add_member(user).node_id;
    log_info(format_message("New node joined the lobby, node id = %1, is host = %2", node, yes_no(is_host)));
    if (handler() == nullptr)
        return;
    const NetworkResult answer = handler()->on_lobby_node_joined(node, is_host);
    if (answer != NetworkResult::Ok && still_joined(lobby) && is_lobby_owner()) {
        log_info(format_message(
            "We are the host and refused the lobby join of user with node id = %1 with reason %2, kicking the user",
            node, static_cast<int32_t>(answer)));
        kick(node, answer);
    }
}

void LobbyTransport::leave_lobby(NetworkResult reason) {
    if (m_manager.mode() != ConnectionManager::Lobby) {
        log_warning(format_message("Tried to leave lobby while in mode %1. Expected MODE_LOBBY",
                                   static_cast<int32_t>(m_manager.mode())));
        return;
    }
    if (m_platform->is_valid_lobby(m_lobby))
        m_platform->leave_lobby(m_lobby);
    const bool was_joined = m_state == Joined;
    const NodeId own_node = m_manager.own_node_id();
    abandon_pending_calls();
    unregister_lobby_listeners();
    return_to_no_mode();
    // Told after the manager is back in no mode, so that the script may
    // create or join another lobby from inside the callback.
    if (was_joined) {
        log_info(format_message("Node %1 was removed from the lobby with reason %2", own_node,
                                static_cast<int32_t>(reason)));
        if (handler() != nullptr)
            handler()->on_lobby_node_left(own_node, reason);
    }
}

// ---------------------------------------------------------------------------
// Members, owner and kicks

bool LobbyTransport::is_lobby_owner() const {
    return m_manager.mode() == ConnectionManager::Lobby && m_state == Joined && m_platform != nullptr &&
           m_owner == own_user();
}

void LobbyTransport::member_changed(const platform::LobbyChatUpdate& update) {
    if (m_state != Joined || update.lobby != m_lobby) {
        log_warning("Received lobby update for another lobby or while not fully joined, ignoring");
        return;
    }
    const platform::LobbyId lobby = m_lobby;
    if ((update.state_change & platform::MemberEntered) != 0) {
        if (Connection* known = member(update.changed))
            log_info(format_message("Ignoring duplicate join of user with node id = %1", known->node_id));
        else
            member_joined(update.changed);
    } else if (Connection* leaving = member(update.changed)) {
        const NetworkResult reason = reason_of_member_change(update.state_change);
        const NodeId node = leaving->node_id;
        const bool was_owner = update.changed == m_owner;
        log_info(format_message("Node %1 (was host = %2) left the lobby with steam code %3, translated to reason %4",
                                node, yes_no(was_owner), update.state_change, static_cast<int32_t>(reason)));
        if (was_owner)
            m_owner = 0;
        remove_member(*leaving);
        if (handler() != nullptr)
            handler()->on_lobby_node_left(node, reason);
    }
    if (still_joined(lobby))
        check_migration();
}

void LobbyTransport::check_migration() {
    if (m_state != Joined)
        return;
    const platform::UserId owner = m_platform->lobby_owner(m_lobby);
    if (owner == 0 || owner == m_owner)
        return;
    m_owner = owner;
    const NodeId node = static_cast<NodeId>(platform::account_number(owner));
    log_info(format_message("Lobby owner has migrated to user with node id = %1", node));
    if (handler() == nullptr)
        return;
    const platform::LobbyId lobby = m_lobby;
    const NetworkResult answer = handler()->on_lobby_migration(node);
    if (answer != NetworkResult::Ok && still_joined(lobby)) {
        log_info(format_message("Host migration failed with result %1, leaving the lobby",
                                static_cast<int32_t>(answer)));
        leave_lobby(answer);
    }
}

bool LobbyTransport::kick(NodeId node, NetworkResult reason) {
    if (m_manager.mode() != ConnectionManager::Lobby || m_state != Joined) {
        log_error("Tried to kick another lobby member while not joined");
        return false;
    }
    if (!is_lobby_owner()) {
        log_error("Tried to kick another lobby member while not the host");
        return false;
    }
    Connection* kicked = m_manager.find(node);
    if (kicked == nullptr) {
        log_error(format_message("Tried to kick lobby member with node id %1 while no such node is connected", node));
        return false;
    }
    std::array<uint8_t, kKickMessageSize> message{};
    std::memcpy(message.data(), kKickWord.data(), kKickWord.size());
    put_le32(message.data() + 4, node);
    put_le32(message.data() + 8, static_cast<int32_t>(reason));
    m_platform->send_lobby_chat(m_lobby, message.data(), static_cast<int32_t>(message.size()));
    remove_member(*kicked);
    log_info(format_message("Node %1 was kicked from the lobby", node));
    if (handler() != nullptr)
        handler()->on_lobby_node_left(node, reason);
    return true;
}

// A kick is obeyed only from the member recorded as the lobby's owner: any
// other member could otherwise throw everyone out with one chat line.
void LobbyTransport::chat_message(const platform::LobbyChatMsg& message) {
    if (m_state != Joined || message.lobby != m_lobby)
        return;
    platform::UserId sender = 0;
    const std::optional<std::vector<uint8_t>> entry = m_platform->lobby_chat_entry(m_lobby, message.chat_id, sender);
    if (!entry || entry->size() != kKickMessageSize || !std::equal(kKickWord.begin(), kKickWord.end(), entry->begin()))
        return;
    const NodeId node = get_le32(entry->data() + 4);
    const auto reason = static_cast<NetworkResult>(get_le32(entry->data() + 8));
    if (sender != m_owner) {
        log_warning(format_message("Ignoring the kick of node %1 sent by node %2, who is not the lobby owner", node,
                                   static_cast<NodeId>(platform::account_number(sender))));
        return;
    }
    if (node == m_manager.own_node_id()) {
        leave_lobby(reason);
        return;
    }
    Connection* kicked = m_manager.find(node);
    if (kicked == nullptr)
        return;
    remove_member(*kicked);
    log_info(format_message("Node %1 was remove from the lobby with reason %2", node, static_cast<int32_t>(reason)));
    if (handler() != nullptr)
        handler()->on_lobby_node_left(node, reason);
}

void LobbyTransport::drop_scheduled(Connection& member) {
    const NetworkResult reason = member.disconnect_reason;
    if (is_lobby_owner() && member.peer_user != own_user() && kick(member.node_id, reason))
        return;
    if (m_manager.mode() == ConnectionManager::Lobby)
        leave_lobby(reason);
    else
        m_manager.remove_connection(member);
}

// ---------------------------------------------------------------------------
// Invitations

void LobbyTransport::invitation(platform::LobbyId lobby) {
    switch (m_invitation_mode) {
    case AcceptInvitations:
        log_info(format_message("Accepting invitation to lobby %1", lobby));
        if (handler() != nullptr)
            handler()->on_invitation_accepted(lobby);
        break;
    case DiscardInvitations:
        log_info(format_message("Discarding invitation to lobby %1", lobby));
        break;
    default:
        log_info(format_message("Delaying invitation to lobby %1", lobby));
        m_delayed_invitation = lobby;
        break;
    }
}

void LobbyTransport::set_invitation_mode(int32_t mode) {
    if (mode < AcceptInvitations || mode > DelayInvitations) {
        log_warning(
            format_message("Invitation mode %1 is not 0 (accept), 1 (discard) or 2 (delay), ignoring it", mode));
        return;
    }
    m_invitation_mode = mode;
    const platform::LobbyId delayed = m_delayed_invitation;
    m_delayed_invitation = 0;
    if (delayed != 0)
        invitation(delayed);
}

bool LobbyTransport::refresh_session_state(Connection& member) {
    return m_platform != nullptr && member.peer_user != 0 &&
           m_platform->p2p_session_state(member.peer_user, member.session);
}

void LobbyTransport::invite_friends() {
    if (m_state == Joined)
        m_platform->activate_invite_dialog(m_lobby);
}

// ---------------------------------------------------------------------------
// Platform listeners

void LobbyTransport::register_lobby_listeners() {
    platform::CallbackDispatcher& callbacks = m_platform->callbacks();
    m_lobby_listeners = {
        callbacks.add_listener<platform::LobbyDataUpdate>([this](const platform::LobbyDataUpdate& update) {
            if (m_state == Joined && update.lobby == m_lobby)
                check_migration();
        }),
        callbacks.add_listener<platform::LobbyChatUpdate>(
            [this](const platform::LobbyChatUpdate& update) { member_changed(update); }),
        callbacks.add_listener<platform::LobbyChatMsg>(
            [this](const platform::LobbyChatMsg& message) { chat_message(message); }),
        callbacks.add_listener<platform::LobbyKicked>([](const platform::LobbyKicked&) {}),
        callbacks.add_listener<platform::P2PSessionRequest>(
            [this](const platform::P2PSessionRequest& request) { session_requested(request); }),
        callbacks.add_listener<platform::P2PSessionConnectFail>([](const platform::P2PSessionConnectFail& failure) {
            log_info(format_message("Peer-to-peer connection to Steam ID %1 failing with reason %2, retrying",
                                    failure.remote, static_cast<int32_t>(failure.error)));
        }),
    };
}

void LobbyTransport::unregister_lobby_listeners() {
    for (ListenerId id : m_lobby_listeners)
        m_platform->callbacks().remove_listener(id);
    m_lobby_listeners.clear();
}

// A lobby created or entered after we gave up waiting would keep this user
// as a member nobody hears from: when such a call completes, it is left.
void LobbyTransport::abandon_pending_calls() {
    platform::PlatformClient* platform = m_platform;
    platform::CallbackDispatcher& callbacks = m_platform->callbacks();
    if (m_create_call != platform::kNoCall)
        callbacks.set_call_result<platform::LobbyCreated>(
            m_create_call, [platform](const platform::LobbyCreated& result, bool io_failure) {
                if (!io_failure && result.result == platform::ResultOk)
                    platform->leave_lobby(result.lobby);
            });
    if (m_enter_call != platform::kNoCall)
        callbacks.set_call_result<platform::LobbyEnter>(
            m_enter_call, [platform](const platform::LobbyEnter& result, bool io_failure) {
                if (!io_failure && result.response == platform::LobbyEnterSuccess)
                    platform->leave_lobby(result.lobby);
            });
    m_create_call = platform::kNoCall;
    m_enter_call = platform::kNoCall;
}

void LobbyTransport::session_requested(const platform::P2PSessionRequest& request) {
    if (m_state != Joined)
        log_info(format_message("Received p2p message from %1 while not in a lobby, rejecting", request.remote));
    else if (member(request.remote) == nullptr)
        log_info(format_message("Received p2p message from %1 who is not member of the lobby, rejecting",
                                request.remote));
    else
        m_platform->accept_p2p_session(request.remote);
}

// ---------------------------------------------------------------------------
// Peer-to-peer traffic

void LobbyTransport::update() {
    if (m_platform == nullptr)
        return;
    if (m_state != Joined || m_manager.mode() != ConnectionManager::Lobby) {
        drain_packets();
        return;
    }
    receive_packets();
    if (m_state == Joined)
        serve_members();
}

void LobbyTransport::drain_packets() {
    uint32_t size = 0;
    while (m_platform->is_p2p_packet_available(size, kChannel)) {
        uint32_t read = 0;
        platform::UserId sender = 0;
        if (!m_platform->read_p2p_packet(m_receive_buffer.data(), kPacketCapacity, read, sender, kChannel))
            return;
    }
}

void LobbyTransport::receive_packets() {
    const platform::LobbyId lobby = m_lobby;
    uint32_t announced = 0;
    while (still_joined(lobby) && m_platform->is_p2p_packet_available(announced, kChannel)) {
        uint32_t size = 0;
        platform::UserId sender = 0;
        if (!m_platform->read_p2p_packet(m_receive_buffer.data(), kPacketCapacity, size, sender, kChannel)) {
            log_warning(format_message("Steam reported incoming message %1 bytes large pending but the read op has "
                                       "failed",
                                       announced));
            return;
        }
        if (size != announced)
            log_warning(format_message("Steam reported incoming message %1 bytes large pending but the read op has "
                                       "returned %2 bytes of data",
                                       announced, size));
        receive_packet(size, sender);
    }
}

void LobbyTransport::receive_packet(uint32_t size, platform::UserId sender) {
    Connection* from = member(sender);
    if (from == nullptr) {
        log_warning(format_message("Received incoming message %1 bytes large from Steam, but the sender with Steam id "
                                   "%2 is not a member of the lobby",
                                   size, sender));
        return;
    }
    if (from->scheduled)
        return;
    if (size > kPacketCapacity) {
        log_warning(format_message("Received incoming message %1 bytes large from Steam, node id %2. Messages can be "
                                   "only %3 or less bytes large. Disconnecting",
                                   size, from->node_id, kPacketCapacity));
        m_manager.schedule_disconnect(*from, true, NetworkResult::System);
        return;
    }
    // Removed members stay allocated until the update ends, so from outlives
    // whatever the script does while the messages are dispatched.
    if (!m_manager.feed_received(*from, {m_receive_buffer.data(), size}) &&
        from->incoming.state() == MessageState::Invalid)
        log_warning(format_message("Error processing incoming message from Steam, %1 bytes, node id %2", size,
                                   from->node_id));
}

void LobbyTransport::serve_members() {
    const uint32_t now = m_manager.now();
    for (size_t i = 0; i < m_manager.m_connections.size() && m_state == Joined; ++i) {
        Connection& connection = *m_manager.m_connections[i];
        if (connection.scheduled || connection.peer_user == 0)
            continue;
        if (connection.established) {
            m_manager.flush_queue(connection, false);
        } else if (connection.last_ping == 0 || now - connection.last_ping >= kPingIntervalMs) {
            connection.last_ping = now == 0 ? 1 : now;
            log_info(format_message("Sending HELO ping to lobby member %1", connection.node_id));
            send_helo(connection, MessageKind::Request, connection.take_request_id());
        }
    }
}

void LobbyTransport::handle_helo(Connection& member, const Message& message) {
    if (message.kind() == MessageKind::Request) {
        log_info(format_message("Received HELO ping from lobby member %1, sending response", member.node_id));
        send_helo(member, MessageKind::Response, message.id());
    } else if (message.kind() == MessageKind::Response && !member.established) {
        log_info(format_message("Received HELO response from lobby member %1, using the connection to communicate "
                                "with the member",
                                member.node_id));
        member.established = true;
    }
}

void LobbyTransport::send_helo(Connection& member, MessageKind kind, uint16_t id) {
    Message helo;
    if (kind == MessageKind::Request)
        helo.start_request(ConnectionManager::kHeloType, id, m_manager.now());
    else
        helo.start_response(ConnectionManager::kHeloType, id, 0, m_manager.now());
    helo.finish();
    send_packet(member, helo.unsent());
}

bool LobbyTransport::send_packet(const Connection& member, std::span<const uint8_t> bytes) {
    if (m_state != Joined || m_platform == nullptr ||
        !m_platform->send_p2p_packet(member.peer_user, bytes.data(), static_cast<uint32_t>(bytes.size()), kChannel))
        return false;
    // Pings and messages alike: every packet the platform took.
    m_manager.m_bytes_sent += bytes.size();
    return true;
}

}  // namespace me
