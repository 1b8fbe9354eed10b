#pragma once

#include <cstdint>
#include <variant>

namespace me::platform {

using UserId = uint64_t;
using LobbyId = uint64_t;
using CallHandle = uint64_t;  // 0 means the call could not be started

inline constexpr CallHandle kNoCall = 0;

// Result codes carried by notifications; the values are the platform's own.
enum Result : int32_t {
    ResultOk = 1,
    ResultFail = 2,
    ResultInvalidParam = 8,
    ResultAccessDenied = 15,
    ResultTimeout = 16,
};

// Answers to a lobby entry (LobbyEnter::response).
enum LobbyEnterResponse : uint32_t {
    LobbyEnterSuccess = 1,
    LobbyEnterDoesntExist = 2,
    LobbyEnterNotAllowed = 3,
    LobbyEnterFull = 4,
    LobbyEnterError = 5,
};

// Bits of LobbyChatUpdate::state_change.
enum MemberStateChange : uint32_t {
    MemberEntered = 1,
    MemberLeft = 2,
    MemberDisconnected = 4,
    MemberKicked = 8,
    MemberBanned = 16,
};

enum class LobbyType { Private, FriendsOnly, Public };

struct UserStatsReceived {
    uint64_t game_id;
    int32_t result;
    UserId user;
};
struct UserStatsStored {
    uint64_t game_id;
    int32_t result;
};
struct LobbyDataUpdate {
    LobbyId lobby;
    UserId member;  // the lobby itself when the lobby's data changed
    bool success;
};
struct LobbyChatUpdate {
    LobbyId lobby;
    UserId changed;
    UserId making_change;
    uint32_t state_change;  // MemberStateChange bits
};
struct LobbyChatMsg {
    LobbyId lobby;
    UserId user;
    uint32_t entry_type;
    uint32_t chat_id;
};
struct LobbyKicked {
    LobbyId lobby;
    UserId admin;
    bool due_to_disconnect;
};
struct P2PSessionRequest {
    UserId remote;
};
struct P2PSessionConnectFail {
    UserId remote;
    uint8_t error;
};
struct GameLobbyJoinRequested {
    LobbyId lobby;
    UserId friend_id;
};
// Call results.
struct LobbyCreated {
    int32_t result;
    LobbyId lobby;
};
struct LobbyEnter {
    LobbyId lobby;
    uint32_t permissions;
    bool locked;
    uint32_t response;  // LobbyEnterResponse
};

using Notification = std::variant<UserStatsReceived, UserStatsStored, LobbyDataUpdate, LobbyChatUpdate,
                                  LobbyChatMsg, LobbyKicked, P2PSessionRequest, P2PSessionConnectFail,
                                  GameLobbyJoinRequested, LobbyCreated, LobbyEnter>;

// The state of a peer-to-peer session with one remote user.
struct P2PSessionState {
    bool connecting = false;
    bool active = false;
    bool using_relay = false;
    uint8_t last_error = 0;
    int32_t bytes_queued = 0;
    int32_t packets_queued = 0;
};

}  // namespace me::platform
