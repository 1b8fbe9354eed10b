#include "lobby/service/redis_lobby_backend.h"

#include <algorithm>

#include "lobby/protocol/message_codec.h"
#include "lobby/service/redis_lobby_scripts.h"
#include "lobby/service/service_limits.h"
#include "lobby/service/service_log.h"

namespace me::lobby {
namespace {

constexpr std::chrono::seconds kHeartbeatInterval{5};
constexpr std::chrono::seconds kHeartbeatLifetime{15};

// Ids travel through Redis as their 8 wire bytes (see the scripts' header).
std::string wire_id(uint64_t id) {
    std::string bytes(8, '\0');
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>(id >> (8 * i));
    return bytes;
}

uint64_t id_from_wire(std::string_view bytes) {
    uint64_t id = 0;
    for (int i = 7; i >= 0; --i) id = id << 8 | static_cast<uint8_t>(bytes[i]);
    return id;
}

std::string frame_of(const Message& message) {
    std::vector<uint8_t> bytes;
    encode_frame(message, bytes);
    return std::string(bytes.begin(), bytes.end());
}

std::string_view text_of(const redisReply* reply) { return {reply->str, reply->len}; }

uint64_t number_of(const redisReply* reply) {
    if (reply->type == REDIS_REPLY_INTEGER) return static_cast<uint64_t>(reply->integer);
    return reply->type == REDIS_REPLY_STRING ? std::stoull(std::string(text_of(reply))) : 0;
}

}  // namespace

std::unique_ptr<RedisLobbyBackend> RedisLobbyBackend::connect(const std::string& host, uint16_t port,
                                                              Mailbox& mailbox) {
    std::unique_ptr<RedisLobbyBackend> backend(new RedisLobbyBackend(mailbox));
    if (!backend->start(host, port)) return nullptr;
    log_info("lobbies are kept in Redis at " + host + ":" + std::to_string(port) + "; this process is node " +
             backend->m_node);
    return backend;
}

bool RedisLobbyBackend::start(const std::string& host, uint16_t port) {
    if (!m_commands.connect(host, port) || !m_subscription.connect(host, port)) return false;
    RedisReply node = m_commands.command({"INCR", "qml:next_node"});
    if (!node || node->type != REDIS_REPLY_INTEGER) return false;
    m_node = std::to_string(node->integer);
    const std::string with_helpers = redis_scripts::kFanout;
    std::pair<std::string*, const char*> scripts[] = {
        {&m_scripts.connect, redis_scripts::kConnect}, {&m_scripts.release, redis_scripts::kRelease},
        {&m_scripts.create, redis_scripts::kCreate},
        {&m_scripts.join, redis_scripts::kJoin},       {&m_scripts.leave, redis_scripts::kLeave},
        {&m_scripts.set_data, redis_scripts::kSetData}, {&m_scripts.chat, redis_scripts::kChat},
        {&m_scripts.invite, redis_scripts::kInvite},   {&m_scripts.relay, redis_scripts::kRelay},
        {&m_scripts.find, redis_scripts::kFind},       {&m_scripts.snapshot, redis_scripts::kSnapshot},
    };
    for (auto& [sha, source] : scripts) {
        *sha = m_commands.load_script(with_helpers + source);
        if (sha->empty()) return false;
    }
    beat_heart();
    m_commands.command({"SADD", "qml:nodes", m_node});
    return m_subscription.subscribe("qml:node:" + m_node);
}

std::optional<long long> RedisLobbyBackend::run(const std::string& sha,
                                                const std::vector<std::string_view>& arguments) {
    RedisReply reply = m_commands.run_script(sha, arguments);
    if (!reply || reply->type != REDIS_REPLY_INTEGER) return std::nullopt;
    return reply->integer;
}

bool RedisLobbyBackend::user_connected(UserId user) {
    answer_relays();
    const long long status = run(m_scripts.connect, {wire_id(user), m_node}).value_or(0);
    if (status == 2) {
        log_warning("user " + std::to_string(user) +
                    " was still held by a service process that stopped; its lobby places are released");
        leave_every_lobby(user);
    }
    return status != 0;
}

void RedisLobbyBackend::user_disconnected(UserId user) {
    answer_relays();
    // Offline first, so that packets sent meanwhile by other processes are
    // answered as for a user who is gone.
    m_commands.command({"DEL", "qml:user:" + wire_id(user)});
    m_commands.command({"SREM", "qml:node:" + m_node + ":users", wire_id(user)});
    leave_every_lobby(user);
}

void RedisLobbyBackend::leave_every_lobby(UserId user) {
    RedisReply lobbies = m_commands.command({"SMEMBERS", "qml:user:" + wire_id(user) + ":lobbies"});
    if (lobbies && lobbies->type == REDIS_REPLY_ARRAY)
        for (size_t i = 0; i < lobbies->elements; ++i) leave(user, number_of(lobbies->element[i]), MemberDisconnected);
}

void RedisLobbyBackend::end_turn() {
    answer_relays();
    if (std::chrono::steady_clock::now() - m_last_heartbeat < kHeartbeatInterval) return;
    beat_heart();
    release_users_of_dead_nodes();
}

// A process that dies leaves its users' presence behind; the heartbeat is
// how other processes tell such leftovers from users still connected.
void RedisLobbyBackend::beat_heart() {
    m_commands.command({"SET", "qml:alive:" + m_node, "1", "EX", std::to_string(kHeartbeatLifetime.count())});
    m_last_heartbeat = std::chrono::steady_clock::now();
}

// The users of a node whose heartbeat expired leave their lobbies as if
// disconnected. Whichever live node removes the dead one from the node set
// first does it, once.
void RedisLobbyBackend::release_users_of_dead_nodes() {
    RedisReply nodes = m_commands.command({"SMEMBERS", "qml:nodes"});
    if (!nodes || nodes->type != REDIS_REPLY_ARRAY) return;
    for (size_t i = 0; i < nodes->elements; ++i) {
        const std::string node(text_of(nodes->element[i]));
        RedisReply alive = m_commands.command({"EXISTS", "qml:alive:" + node});
        if (!alive || alive->integer == 1) continue;
        RedisReply claimed = m_commands.command({"SREM", "qml:nodes", node});
        if (!claimed || claimed->integer != 1) continue;
        RedisReply users = m_commands.command({"SMEMBERS", "qml:node:" + node + ":users"});
        const size_t count = users && users->type == REDIS_REPLY_ARRAY ? users->elements : 0;
        log_warning("service node " + node + " stopped without notice; releasing its " + std::to_string(count) +
                    " users");
        for (size_t u = 0; u < count; ++u) {
            const std::string user(text_of(users->element[u]));
            if (run(m_scripts.release, {user, node}).value_or(0) == 1) leave_every_lobby(id_from_wire(user));
        }
        m_commands.command({"DEL", "qml:node:" + node + ":users"});
    }
}

void RedisLobbyBackend::handle(UserId user, const Message& request) {
    if (!std::holds_alternative<SendPacket>(request)) answer_relays();
    std::visit([this, user](const auto& m) { on(user, m); }, request);
}

void RedisLobbyBackend::on_event_fd_readable() {
    for (const std::string& payload : m_subscription.read_published()) {
        if (payload.size() < 8 + kFrameHeaderBytes) {
            log_error("a published notice of " + std::to_string(payload.size()) + " bytes is too short; dropped");
            continue;
        }
        const auto body = std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(payload.data()), payload.size())
                              .subspan(8 + kFrameHeaderBytes);
        DecodedMessage decoded = decode_body(body);
        if (!decoded.message) {
            log_error("a published notice does not decode (" + decoded.error + "); dropped");
            continue;
        }
        m_mailbox.deliver(id_from_wire(payload), *decoded.message);
    }
}

void RedisLobbyBackend::on(UserId user, const CreateLobby& request) {
    const auto lobby = run(m_scripts.create, {wire_id(user), std::to_string(static_cast<int>(request.type)),
                                              std::to_string(request.max_members),
                                              std::to_string(kMaxLobbiesPerUser)});
    if (!lobby || *lobby == 0) {
        m_mailbox.deliver(user, LobbyCreatedReply{request.request, lobby ? CreateLimitReached : CreateFail, 0});
        return;
    }
    if (auto created = snapshot(user, static_cast<LobbyId>(*lobby), request.request))
        m_mailbox.deliver(user, *created);
    m_mailbox.deliver(user, LobbyCreatedReply{request.request, CreateOk, static_cast<LobbyId>(*lobby)});
}

void RedisLobbyBackend::on(UserId user, const JoinLobby& request) {
    const auto response =
        run(m_scripts.join, {wire_id(user), std::to_string(request.lobby), std::to_string(kMaxLobbiesPerUser),
                             frame_of(MemberChanged{request.lobby, user, user, MemberEntered})});
    const auto joined = response == EnterSuccess ? snapshot(user, request.lobby, request.request) : std::nullopt;
    if (joined) m_mailbox.deliver(user, *joined);
    uint32_t answer = EnterError;
    if (joined)
        answer = EnterSuccess;
    else if (response && *response != EnterSuccess)
        answer = static_cast<uint32_t>(*response);
    m_mailbox.deliver(user, LobbyEnterReply{request.request, request.lobby, answer});
}

void RedisLobbyBackend::on(UserId user, const LeaveLobby& request) { leave(user, request.lobby, MemberLeft); }

void RedisLobbyBackend::leave(UserId user, LobbyId lobby, uint32_t change) {
    std::string owner_prefix = frame_of(OwnerChanged{lobby, 1});
    owner_prefix.resize(owner_prefix.size() - 8);
    run(m_scripts.leave, {wire_id(user), std::to_string(lobby), frame_of(MemberChanged{lobby, user, user, change}),
                          owner_prefix});
}

void RedisLobbyBackend::on(UserId user, const FindLobbies& request) {
    std::vector<std::string> texts = {std::to_string(request.max_results)};
    for (const LobbyDataEntry& filter : request.filters) {
        texts.push_back(filter.key);
        texts.push_back(filter.value);
    }
    const std::vector<std::string_view> arguments(texts.begin(), texts.end());
    RedisReply found = m_commands.run_script(m_scripts.find, arguments);
    LobbyListReply reply{request.request, {}};
    if (found && found->type == REDIS_REPLY_ARRAY)
        for (size_t i = 0; i + 3 < found->elements; i += 4)
            reply.lobbies.push_back({number_of(found->element[i]), id_from_wire(text_of(found->element[i + 1])),
                                     static_cast<uint32_t>(number_of(found->element[i + 2])),
                                     static_cast<uint32_t>(number_of(found->element[i + 3]))});
    m_mailbox.deliver(user, reply);
}

std::optional<LobbySnapshot> RedisLobbyBackend::snapshot(UserId user, LobbyId lobby, uint32_t request) {
    RedisReply reply = m_commands.run_script(m_scripts.snapshot, {std::to_string(lobby)});
    if (!reply || reply->type != REDIS_REPLY_ARRAY || reply->elements != 5) return std::nullopt;
    LobbySnapshot snapshot{request, lobby, static_cast<LobbyType>(number_of(reply->element[0])),
                           static_cast<uint32_t>(number_of(reply->element[1])),
                           id_from_wire(text_of(reply->element[2])), {}, {}};
    const redisReply* members = reply->element[3];
    for (size_t i = 0; i < members->elements; ++i) snapshot.members.push_back(id_from_wire(text_of(members->element[i])));
    const redisReply* data = reply->element[4];
    for (size_t i = 0; i + 1 < data->elements; i += 2)
        snapshot.data.push_back({std::string(text_of(data->element[i])), std::string(text_of(data->element[i + 1]))});
    const bool visible = snapshot.type != LobbyType::Private || std::ranges::find(snapshot.members, user) !=
                                                                    snapshot.members.end();
    return visible ? std::optional(std::move(snapshot)) : std::nullopt;
}

void RedisLobbyBackend::on(UserId user, const RequestLobbyData& request) {
    if (auto found = snapshot(user, request.lobby, request.request))
        m_mailbox.deliver(user, *found);
    else
        m_mailbox.deliver(user, Error{request.request, ErrorCode::NoSuchLobby, "no such lobby"});
}

void RedisLobbyBackend::on(UserId user, const SetLobbyData& request) {
    const auto status = run(m_scripts.set_data, {wire_id(user), std::to_string(request.lobby), request.key,
                                                 request.value, std::to_string(kMaxLobbyDataEntries),
                                                 frame_of(LobbyDataChanged{request.lobby, request.key, request.value})});
    answer_status(user, request.request, status.value_or(0));
}

void RedisLobbyBackend::on(UserId user, const SendChat& request) {
    const auto status = run(m_scripts.chat, {wire_id(user), std::to_string(request.lobby),
                                             frame_of(ChatEntry{request.lobby, user, 1, request.data})});
    answer_status(user, 0, status.value_or(0));
}

void RedisLobbyBackend::on(UserId user, const InviteUser& request) {
    const auto status = run(m_scripts.invite, {wire_id(user), std::to_string(request.lobby), wire_id(request.invitee),
                                               std::to_string(kMaxInvitationsPerLobby),
                                               frame_of(JoinRequested{request.lobby, user})});
    answer_status(user, request.request, status.value_or(0));
}

// Relays are pipelined: a turn's packets go to Redis together and their
// answers are read once, which is what lets one process relay more than one
// packet per Redis round trip.
void RedisLobbyBackend::on(UserId user, const SendPacket& request) {
    m_commands.send_script(m_scripts.relay, {wire_id(user), wire_id(request.receiver),
                                             frame_of(PacketDelivery{user, request.channel, request.data})});
    m_relays.push_back({user, request.receiver});
}

void RedisLobbyBackend::answer_relays() {
    std::vector<Relay> relays;
    relays.swap(m_relays);
    for (const Relay& relay : relays) {
        RedisReply reply = m_commands.take_reply();
        if (!reply || reply->type != REDIS_REPLY_INTEGER || reply->integer == 0) continue;
        m_mailbox.deliver(relay.sender, PacketUndeliverable{relay.receiver, reply->integer == 1
                                                                                ? PacketReceiverOffline
                                                                                : PacketNoSharedLobby});
    }
}

void RedisLobbyBackend::on(UserId user, const CloseSession& request) {
    run(m_scripts.relay, {wire_id(user), wire_id(request.remote), frame_of(SessionClosed{user})});
}

void RedisLobbyBackend::answer_status(UserId user, uint32_t request, long long status) {
    static const std::pair<long long, std::pair<ErrorCode, const char*>> kErrors[] = {
        {-1, {ErrorCode::NoSuchLobby, "no such lobby"}},
        {-2, {ErrorCode::NotMember, "not a member of the lobby"}},
        {-3, {ErrorCode::NotOwner, "only the lobby's owner sets its data"}},
        {-4, {ErrorCode::LimitReached, "the lobby holds the most it may"}},
        {-5, {ErrorCode::NoSuchUser, "the invitee is not connected"}},
    };
    for (const auto& [code, error] : kErrors)
        if (code == status) m_mailbox.deliver(user, Error{request, error.first, error.second});
}

}  // namespace me::lobby
