#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lobby/service/lobby_backend.h"
#include "lobby/service/redis_connection.h"

namespace me::lobby {

// Lobbies kept in Redis, shared by every service process that uses the same
// Redis, and notices relayed through Redis pub/sub: each process subscribes
// to its own node channel and forwards what arrives to its own clients. The
// process itself keeps no lobby state.
class RedisLobbyBackend : public LobbyBackend {
public:
    // Connects twice (commands, subscription), loads the scripts and picks a
    // node number; nothing, logged, when Redis is not usable.
    static std::unique_ptr<RedisLobbyBackend> connect(const std::string& host, uint16_t port, Mailbox& mailbox);

    bool user_connected(UserId user) override;
    void user_disconnected(UserId user) override;
    void handle(UserId user, const Message& request) override;
    int event_fd() const override { return m_subscription.fd(); }
    void on_event_fd_readable() override;
    void end_turn() override;
    bool failed() const override { return m_commands.failed() || m_subscription.failed(); }

private:
    struct Scripts {
        std::string connect, release, create, join, leave, set_data, chat, invite, relay, find, snapshot;
    };

    explicit RedisLobbyBackend(Mailbox& mailbox) : m_mailbox(mailbox) {}
    bool start(const std::string& host, uint16_t port);

    void on(UserId user, const CreateLobby& request);
    void on(UserId user, const JoinLobby& request);
    void on(UserId user, const LeaveLobby& request);
    void on(UserId user, const FindLobbies& request);
    void on(UserId user, const RequestLobbyData& request);
    void on(UserId user, const SetLobbyData& request);
    void on(UserId user, const SendChat& request);
    void on(UserId user, const InviteUser& request);
    void on(UserId user, const SendPacket& request);
    void on(UserId user, const CloseSession& request);
    template <class M>
    void on(UserId, const M&) {}

    void leave(UserId user, LobbyId lobby, uint32_t change);
    void leave_every_lobby(UserId user);
    void beat_heart();
    void release_users_of_dead_nodes();
    // The lobby as the user may see it: nothing for a missing lobby or a
    // private one the user is not in.
    std::optional<LobbySnapshot> snapshot(UserId user, LobbyId lobby, uint32_t request);
    // The script's integer answer; nothing when the script failed.
    std::optional<long long> run(const std::string& sha, const std::vector<std::string_view>& arguments);
    void answer_status(UserId user, uint32_t request, long long status);
    // Reads the answers of the relays sent this turn; every other command
    // waits for them first, so requests still take effect in order.
    void answer_relays();

    Mailbox& m_mailbox;
    RedisConnection m_commands;
    RedisConnection m_subscription;
    std::string m_node;
    Scripts m_scripts;
    struct Relay {
        UserId sender;
        UserId receiver;
    };
    std::vector<Relay> m_relays;  // sent, answers not yet read
    std::chrono::steady_clock::time_point m_last_heartbeat;
};

}  // namespace me::lobby
