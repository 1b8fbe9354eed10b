#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "lobby/service/lobby_backend.h"

namespace me::lobby {

// Lobbies, members, owners, lobby data and invitations held in this
// process's memory: one process serves the whole population.
class LobbyDirectory : public LobbyBackend {
public:
    explicit LobbyDirectory(Mailbox& mailbox) : m_mailbox(mailbox) {}

    bool user_connected(UserId user) override;
    void user_disconnected(UserId user) override;
    void handle(UserId user, const Message& request) override;

    size_t lobby_count() const { return m_lobbies.size(); }

private:
    struct Lobby {
        LobbyId id = 0;
        LobbyType type = LobbyType::Public;
        uint32_t max_members = 0;
        UserId owner = 0;
        std::vector<UserId> members;  // in join order: the next owner is the first
        std::map<std::string, std::string> data;
        std::unordered_set<UserId> invited;
        uint32_t next_chat_id = 1;
    };

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
    // Service-to-client messages and Hello never reach the directory.
    template <class M>
    void on(UserId, const M&) {}

    void enter(Lobby& lobby, UserId user);
    void remove_member(Lobby& lobby, UserId user, uint32_t change);
    Lobby* lobby_of_member(UserId user, LobbyId id, uint32_t request);
    bool share_lobby(UserId a, UserId b) const;
    LobbySnapshot snapshot_of(const Lobby& lobby, uint32_t request) const;
    void broadcast(const Lobby& lobby, const Message& message);
    void send_error(UserId user, uint32_t request, ErrorCode code, std::string text);

    Mailbox& m_mailbox;
    std::unordered_map<LobbyId, Lobby> m_lobbies;
    std::unordered_map<UserId, std::vector<LobbyId>> m_users;  // connected users and the lobbies they are in
    LobbyId m_next_lobby_id = 1;
};

}  // namespace me::lobby
