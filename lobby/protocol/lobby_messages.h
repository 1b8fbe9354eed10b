#pragma once

// The lobby service's wire protocol: every message a client and the service
// exchange, with its fields in the order they travel.
//
// Framing. A TCP stream carries frames. A frame is a 32-bit little-endian
// body length followed by the body: one byte of message type, then the
// message's fields. A body is 1 to kMaxFrameBytes bytes; a longer or empty
// one ends the connection. A body must hold exactly its fields: missing or
// trailing bytes are a malformed frame, and so is a field outside its limit.
//
// Field encodings (all little-endian):
//   u8, u16, u32, u64, i32  fixed width
//   id                       u64, never 0 (a user or lobby id)
//   text                     u16 length, then that many bytes, no NUL byte
//   bytes                    u32 length, then that many bytes
//   list                     u16 count, then that many elements
// Every length and count has a per-field maximum, named below.
//
// Conversation. The client's first message is Hello; the service answers
// Welcome, or Error(ProtocolMismatch / UserInUse) and closes. Requests that
// carry a request number are answered with a reply (or an Error) carrying
// the same number, so a client can match them to its own calls. Everything a
// client sends is handled in the order sent, and everything sent to one
// client arrives in the order the service produced it: relayed packets and
// chat entries are reliable and in order.
//
// Lobby life. The creator is the first member and the owner. A member that
// leaves or disconnects is reported to the others with MemberChanged; when
// it was the owner, the earliest-joined remaining member becomes owner and
// OwnerChanged reaches every member before the MemberChanged that caused it.
// A lobby without members is gone. Only the owner sets lobby data.
//
// Peer-to-peer sessions. There is no session request on the wire: a client
// treats the first packet from a remote as that remote's session request and
// keeps its packets until the session is accepted. CloseSession tells the
// remote (SessionClosed); PacketUndeliverable is the service's answer to a
// packet it could not relay, the client's session connect failure.
//
// Kicking is not a message of its own: the engine sends a 12-byte "KICK" chat
// entry, the service relays it like any other, and receivers obey it only
// when the entry's sender is the lobby's owner.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace me::lobby {

using UserId = uint64_t;
using LobbyId = uint64_t;

inline constexpr uint32_t kProtocolVersion = 1;

inline constexpr uint32_t kFrameHeaderBytes = 4;
inline constexpr uint32_t kMaxFrameBytes = 128 * 1024;
inline constexpr uint32_t kMaxKeyBytes = 255;
inline constexpr uint32_t kMaxValueBytes = 1024;
inline constexpr uint32_t kMaxLobbyDataEntries = 64;
inline constexpr uint32_t kMaxLobbyMembers = 250;
inline constexpr uint32_t kMaxChatBytes = 4096;
inline constexpr uint32_t kMaxPacketBytes = 16 * 1024;
inline constexpr uint32_t kMaxFindFilters = 8;
inline constexpr uint32_t kMaxFindResults = 100;
inline constexpr uint32_t kMaxErrorTextBytes = 512;
inline constexpr int32_t kMaxChannel = 255;

enum class MessageType : uint8_t {
    // Client to service.
    Hello = 1,
    CreateLobby = 2,
    JoinLobby = 3,
    LeaveLobby = 4,
    FindLobbies = 5,
    RequestLobbyData = 6,
    SetLobbyData = 7,
    SendChat = 8,
    InviteUser = 9,
    SendPacket = 10,
    CloseSession = 11,
    // Service to client.
    Welcome = 64,
    LobbyCreatedReply = 65,
    LobbyEnterReply = 66,
    LobbySnapshot = 67,
    LobbyListReply = 68,
    MemberChanged = 69,
    OwnerChanged = 70,
    LobbyDataChanged = 71,
    ChatEntry = 72,
    JoinRequested = 73,
    PacketDelivery = 74,
    SessionClosed = 75,
    PacketUndeliverable = 76,
    Error = 77,
};

// Who may find and enter a lobby: private ones only by invitation,
// friends-only ones by id (the service knows no friends), public ones by id
// and through FindLobbies.
enum class LobbyType : uint8_t { Private = 0, FriendsOnly = 1, Public = 2 };

// LobbyCreatedReply::result, the platform's result codes.
enum CreateResult : uint32_t { CreateOk = 1, CreateFail = 2, CreateLimitReached = 15 };

// LobbyEnterReply::response.
enum EnterResponse : uint32_t {
    EnterSuccess = 1,
    EnterDoesntExist = 2,
    EnterNotAllowed = 3,
    EnterFull = 4,
    EnterError = 5,
};

// MemberChanged::state_change bits.
enum MemberChange : uint32_t {
    MemberEntered = 1,
    MemberLeft = 2,
    MemberDisconnected = 4,
    MemberKicked = 8,
    MemberBanned = 16,
};

// PacketUndeliverable::error, the platform's session error codes.
enum PacketError : uint8_t { PacketReceiverOffline = 1, PacketNoSharedLobby = 2 };

enum class ErrorCode : uint16_t {
    ProtocolMismatch = 1,  // Hello with another protocol version; the service closes
    NotWelcomed = 2,       // a request before Hello
    AlreadyWelcomed = 3,   // a second Hello
    UserInUse = 4,         // another connection holds this user id; the service closes
    LimitReached = 5,      // a per-client or per-service limit
    NoSuchLobby = 6,
    NotMember = 7,
    NotOwner = 8,
    NoSuchUser = 9,
    Malformed = 10,        // an undecodable frame; the service closes
    WrongDirection = 11,   // a service-to-client message sent by a client
};

struct LobbyDataEntry {
    std::string key;  // 1..kMaxKeyBytes
    std::string value;  // 0..kMaxValueBytes; setting an empty value removes the key
};

struct LobbySummary {
    LobbyId lobby = 0;
    UserId owner = 0;
    uint32_t member_count = 0;
    uint32_t max_members = 0;
};

// ---- client to service ----

// Fields: u32 protocol_version, id user.
struct Hello {
    static constexpr MessageType kType = MessageType::Hello;
    uint32_t protocol_version = kProtocolVersion;
    UserId user = 0;
};

// Fields: u32 request, u8 type (LobbyType), u32 max_members (1..kMaxLobbyMembers).
// Answered with LobbySnapshot of the new lobby, then LobbyCreatedReply, so
// the lobby is known before the reply is; on failure only the reply.
struct CreateLobby {
    static constexpr MessageType kType = MessageType::CreateLobby;
    uint32_t request = 0;
    LobbyType type = LobbyType::Public;
    uint32_t max_members = 0;
};

// Fields: u32 request, id lobby. On success the joiner gets LobbySnapshot and
// then LobbyEnterReply; the other members get MemberChanged(MemberEntered).
struct JoinLobby {
    static constexpr MessageType kType = MessageType::JoinLobby;
    uint32_t request = 0;
    LobbyId lobby = 0;
};

// Fields: id lobby. No reply; leaving a lobby one is not in does nothing.
struct LeaveLobby {
    static constexpr MessageType kType = MessageType::LeaveLobby;
    LobbyId lobby = 0;
};

// Fields: u32 request, u16 max_results (1..kMaxFindResults), list filters
// (0..kMaxFindFilters of text key, text value). Public lobbies with room
// whose data equals every filter; answered with LobbyListReply.
struct FindLobbies {
    static constexpr MessageType kType = MessageType::FindLobbies;
    uint32_t request = 0;
    uint16_t max_results = kMaxFindResults;
    std::vector<LobbyDataEntry> filters;
};

// Fields: u32 request, id lobby. Answered with LobbySnapshot (any lobby
// that is not private, or one the client is in) or Error(NoSuchLobby).
struct RequestLobbyData {
    static constexpr MessageType kType = MessageType::RequestLobbyData;
    uint32_t request = 0;
    LobbyId lobby = 0;
};

// Fields: u32 request, id lobby, text key, text value. Owner only; every
// member, the setter included, gets LobbyDataChanged. No reply on success.
struct SetLobbyData {
    static constexpr MessageType kType = MessageType::SetLobbyData;
    uint32_t request = 0;
    LobbyId lobby = 0;
    std::string key;
    std::string value;
};

// Fields: id lobby, bytes data (1..kMaxChatBytes). Every member, the sender
// included, gets ChatEntry.
struct SendChat {
    static constexpr MessageType kType = MessageType::SendChat;
    LobbyId lobby = 0;
    std::vector<uint8_t> data;
};

// Fields: u32 request, id lobby, id invitee. The inviter must be a member;
// the invitee (connected) gets JoinRequested and may then join even a
// private lobby. No reply on success.
struct InviteUser {
    static constexpr MessageType kType = MessageType::InviteUser;
    uint32_t request = 0;
    LobbyId lobby = 0;
    UserId invitee = 0;
};

// Fields: id receiver, i32 channel (0..kMaxChannel), bytes data
// (1..kMaxPacketBytes). Relayed as PacketDelivery when sender and receiver
// share a lobby, else answered with PacketUndeliverable.
struct SendPacket {
    static constexpr MessageType kType = MessageType::SendPacket;
    UserId receiver = 0;
    int32_t channel = 0;
    std::vector<uint8_t> data;
};

// Fields: id remote. The remote, when connected, gets SessionClosed.
struct CloseSession {
    static constexpr MessageType kType = MessageType::CloseSession;
    UserId remote = 0;
};

// ---- service to client ----

// Fields: u32 protocol_version, id user.
struct Welcome {
    static constexpr MessageType kType = MessageType::Welcome;
    uint32_t protocol_version = kProtocolVersion;
    UserId user = 0;
};

// Fields: u32 request, u32 result (CreateResult), u64 lobby (0 on failure).
struct LobbyCreatedReply {
    static constexpr MessageType kType = MessageType::LobbyCreatedReply;
    uint32_t request = 0;
    uint32_t result = CreateOk;
    LobbyId lobby = 0;
};

// Fields: u32 request, id lobby, u32 response (EnterResponse).
struct LobbyEnterReply {
    static constexpr MessageType kType = MessageType::LobbyEnterReply;
    uint32_t request = 0;
    LobbyId lobby = 0;
    uint32_t response = EnterSuccess;
};

// Fields: u32 request (0 when unsolicited), id lobby, u8 type, u32
// max_members, u64 owner, list members (0..kMaxLobbyMembers ids, in join
// order), list data (0..kMaxLobbyDataEntries of text key, text value).
struct LobbySnapshot {
    static constexpr MessageType kType = MessageType::LobbySnapshot;
    uint32_t request = 0;
    LobbyId lobby = 0;
    LobbyType type = LobbyType::Public;
    uint32_t max_members = 0;
    UserId owner = 0;
    std::vector<UserId> members;
    std::vector<LobbyDataEntry> data;
};

// Fields: u32 request, list lobbies (0..kMaxFindResults of id lobby, u64
// owner, u32 member_count, u32 max_members).
struct LobbyListReply {
    static constexpr MessageType kType = MessageType::LobbyListReply;
    uint32_t request = 0;
    std::vector<LobbySummary> lobbies;
};

// Fields: id lobby, id changed, u64 making_change, u32 state_change (MemberChange bits).
struct MemberChanged {
    static constexpr MessageType kType = MessageType::MemberChanged;
    LobbyId lobby = 0;
    UserId changed = 0;
    UserId making_change = 0;
    uint32_t state_change = 0;
};

// Fields: id lobby, id owner.
struct OwnerChanged {
    static constexpr MessageType kType = MessageType::OwnerChanged;
    LobbyId lobby = 0;
    UserId owner = 0;
};

// Fields: id lobby, text key, text value (empty: the key was removed).
struct LobbyDataChanged {
    static constexpr MessageType kType = MessageType::LobbyDataChanged;
    LobbyId lobby = 0;
    std::string key;
    std::string value;
};

// Fields: id lobby, id sender, u32 chat_id (counts up per lobby from 1),
// bytes data (1..kMaxChatBytes).
struct ChatEntry {
    static constexpr MessageType kType = MessageType::ChatEntry;
    LobbyId lobby = 0;
    UserId sender = 0;
    uint32_t chat_id = 0;
    std::vector<uint8_t> data;
};

// Fields: id lobby, id inviter.
struct JoinRequested {
    static constexpr MessageType kType = MessageType::JoinRequested;
    LobbyId lobby = 0;
    UserId inviter = 0;
};

// Fields: id sender, i32 channel (0..kMaxChannel), bytes data (1..kMaxPacketBytes).
struct PacketDelivery {
    static constexpr MessageType kType = MessageType::PacketDelivery;
    UserId sender = 0;
    int32_t channel = 0;
    std::vector<uint8_t> data;
};

// Fields: id remote.
struct SessionClosed {
    static constexpr MessageType kType = MessageType::SessionClosed;
    UserId remote = 0;
};

// Fields: id receiver, u8 error (PacketError).
struct PacketUndeliverable {
    static constexpr MessageType kType = MessageType::PacketUndeliverable;
    UserId receiver = 0;
    uint8_t error = PacketReceiverOffline;
};

// Fields: u32 request (0 when the error answers no request), u16 code
// (ErrorCode), text text (0..kMaxErrorTextBytes).
struct Error {
    static constexpr MessageType kType = MessageType::Error;
    uint32_t request = 0;
    ErrorCode code = ErrorCode::Malformed;
    std::string text;
};

using Message = std::variant<Hello, CreateLobby, JoinLobby, LeaveLobby, FindLobbies, RequestLobbyData,
                             SetLobbyData, SendChat, InviteUser, SendPacket, CloseSession, Welcome,
                             LobbyCreatedReply, LobbyEnterReply, LobbySnapshot, LobbyListReply, MemberChanged,
                             OwnerChanged, LobbyDataChanged, ChatEntry, JoinRequested, PacketDelivery,
                             SessionClosed, PacketUndeliverable, Error>;

MessageType message_type(const Message& message);
// True for the messages a client may send.
bool is_client_message(const Message& message);
// The message's name for log lines, e.g. "SendPacket".
const char* message_name(MessageType type);

}  // namespace me::lobby
