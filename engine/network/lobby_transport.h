#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "network/connection.h"
#include "network/connection_event_handler.h"
#include "network/network_result.h"
#include "network/node_id.h"
#include "platform/platform_client.h"

namespace me {

class ConnectionManager;

// The connection manager's lobby mode: the members of a platform lobby are
// the manager's connections (direction Lobby, node id = the member's account
// number) and messages travel as peer-to-peer packets. Membership comes from
// the lobby; a "HELO" ping only proves that packets flow. Everything arrives
// through the platform's callback pump or the manager's per-frame update.
class LobbyTransport {
public:
    enum State : int32_t { NotInLobby = 0, Creating = 1, Joining = 2, Joined = 3 };
    enum InvitationMode : int32_t { AcceptInvitations = 0, DiscardInvitations = 1, DelayInvitations = 2 };

    static constexpr uint32_t kPacketCapacity = 1024;
    static constexpr uint32_t kPingIntervalMs = 2500;
    static constexpr int32_t kChannel = 0;
    static constexpr size_t kKickMessageSize = 12;
    static constexpr const char* kGameProtocolKey = "game_protocol";
    static constexpr const char* kInternalProtocolKey = "internal_protocol";

    explicit LobbyTransport(ConnectionManager& manager);
    LobbyTransport(const LobbyTransport&) = delete;
    LobbyTransport& operator=(const LobbyTransport&) = delete;
    ~LobbyTransport();

    // Attaches the platform and listens for invitations from then on.
    void start(platform::PlatformClient* platform);
    // Leaves a joined lobby quietly and stops listening.
    void teardown();
    // "+connect_lobby ID" (or with '-' or '/') among the process arguments is
    // an invitation, delayed until the script picks an invitation mode.
    void accept_command_line(int argc, char** argv);
    // Lobby ids cross the script boundary and the command line as the
    // decimal text of the 64-bit id.
    static bool parse_lobby_id(std::string_view text, platform::LobbyId& lobby);

    bool create_lobby(bool friends_only, int32_t max_members, int32_t game_protocol);
    bool join_lobby(platform::LobbyId lobby, int32_t game_protocol);
    void leave_lobby(NetworkResult reason);
    bool kick(NodeId node, NetworkResult reason);
    bool is_lobby_owner() const;
    void set_invitation_mode(int32_t mode);
    void invite_friends();
    // Refreshes the member's peer-to-peer session state; false when the
    // platform knows no session with it.
    bool refresh_session_state(Connection& member);
    bool lobbies_available() const;

    // Per-frame: received packets, queued messages, pings.
    void update();
    // A member scheduled for disconnect: the owner kicks it, anyone else
    // leaves the lobby.
    void drop_scheduled(Connection& member);
    // The manager's "HELO" traffic in lobby mode.
    void handle_helo(Connection& member, const Message& message);
    // One finished message (or its unsent rest) as one packet.
    bool send_packet(const Connection& member, std::span<const uint8_t> bytes);

    State state() const { return m_state; }
    platform::LobbyId lobby_id() const { return m_lobby; }
    int32_t invitation_mode() const { return m_invitation_mode; }
    platform::LobbyId delayed_invitation() const { return m_delayed_invitation; }

private:
    using ListenerId = platform::CallbackDispatcher::ListenerId;

    ConnectionEventHandler* handler() const;
    platform::UserId own_user() const;
    bool still_joined(platform::LobbyId lobby) const;
    Connection* member(platform::UserId user);
    Connection& add_member(platform::UserId user);
    void remove_member(Connection& member);
    void enter_lobby_mode(State state, int32_t game_protocol);
    void return_to_no_mode();

    void lobby_created(const platform::LobbyCreated& result, bool io_failure);
    void lobby_entered(const platform::LobbyEnter& result, bool io_failure);
    bool lobby_attributes_match();
    void add_current_members();
    void member_joined(platform::UserId user);
    void member_changed(const platform::LobbyChatUpdate& update);
    void check_migration();
    void chat_message(const platform::LobbyChatMsg& message);
    void session_requested(const platform::P2PSessionRequest& request);
    void invitation(platform::LobbyId lobby);

    void register_lobby_listeners();
    void unregister_lobby_listeners();
    void abandon_pending_calls();

    void drain_packets();
    void receive_packets();
    void receive_packet(uint32_t size, platform::UserId sender);
    void serve_members();
    void send_helo(Connection& member, MessageKind kind, uint16_t id);

    ConnectionManager& m_manager;
    platform::PlatformClient* m_platform = nullptr;
    State m_state = NotInLobby;
    int32_t m_game_protocol = -1;
    platform::LobbyId m_lobby = 0;
    platform::UserId m_owner = 0;
    int32_t m_invitation_mode = DelayInvitations;
    platform::LobbyId m_delayed_invitation = 0;
    std::array<uint8_t, kPacketCapacity> m_receive_buffer{};
    platform::CallHandle m_create_call = platform::kNoCall;
    platform::CallHandle m_enter_call = platform::kNoCall;
    std::vector<ListenerId> m_lobby_listeners;
    ListenerId m_invitation_listener = 0;
};

}  // namespace me
