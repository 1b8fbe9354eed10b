#include "lobby/service/lobby_directory.h"

#include <algorithm>

#include "lobby/service/service_limits.h"
#include "lobby/service/service_log.h"

namespace me::lobby {

bool LobbyDirectory::user_connected(UserId user) { return m_users.try_emplace(user).second; }

void LobbyDirectory::user_disconnected(UserId user) {
    auto found = m_users.find(user);
    if (found == m_users.end()) return;
    const std::vector<LobbyId> lobbies = found->second;
    for (LobbyId id : lobbies) remove_member(m_lobbies.at(id), user, MemberDisconnected);
    m_users.erase(user);
}

void LobbyDirectory::handle(UserId user, const Message& request) {
    std::visit([this, user](const auto& m) { on(user, m); }, request);
}

void LobbyDirectory::on(UserId user, const CreateLobby& request) {
    if (m_users[user].size() >= kMaxLobbiesPerUser || m_lobbies.size() >= kMaxLobbiesPerService) {
        log_warning("user " + std::to_string(user) + " may not create another lobby: limit reached");
        m_mailbox.deliver(user, LobbyCreatedReply{request.request, CreateLimitReached, 0});
        return;
    }
    Lobby& lobby = m_lobbies[m_next_lobby_id];
    lobby.id = m_next_lobby_id++;
    lobby.type = request.type;
    lobby.max_members = request.max_members;
    lobby.owner = user;
    lobby.members.push_back(user);
    m_users[user].push_back(lobby.id);
    m_mailbox.deliver(user, snapshot_of(lobby, request.request));
    m_mailbox.deliver(user, LobbyCreatedReply{request.request, CreateOk, lobby.id});
}

void LobbyDirectory::on(UserId user, const JoinLobby& request) {
    auto found = m_lobbies.find(request.lobby);
    auto reply = [&](EnterResponse response) {
        m_mailbox.deliver(user, LobbyEnterReply{request.request, request.lobby, response});
    };
    if (found == m_lobbies.end()) return reply(EnterDoesntExist);
    Lobby& lobby = found->second;
    const bool member = std::ranges::find(lobby.members, user) != lobby.members.end();
    if (!member) {
        if (lobby.type == LobbyType::Private && !lobby.invited.contains(user)) return reply(EnterNotAllowed);
        if (lobby.members.size() >= lobby.max_members) return reply(EnterFull);
        if (m_users[user].size() >= kMaxLobbiesPerUser) return reply(EnterError);
        enter(lobby, user);
    }
    m_mailbox.deliver(user, snapshot_of(lobby, request.request));
    reply(EnterSuccess);
}

void LobbyDirectory::enter(Lobby& lobby, UserId user) {
    broadcast(lobby, MemberChanged{lobby.id, user, user, MemberEntered});
    lobby.members.push_back(user);
    lobby.invited.erase(user);
    m_users[user].push_back(lobby.id);
}

void LobbyDirectory::on(UserId user, const LeaveLobby& request) {
    auto found = m_lobbies.find(request.lobby);
    if (found == m_lobbies.end() || std::ranges::find(found->second.members, user) == found->second.members.end())
        return;
    remove_member(found->second, user, MemberLeft);
}

void LobbyDirectory::remove_member(Lobby& lobby, UserId user, uint32_t change) {
    const LobbyId id = lobby.id;
    std::erase(lobby.members, user);
    std::erase(m_users[user], id);
    if (lobby.members.empty()) {
        m_lobbies.erase(id);
        return;
    }
    if (lobby.owner == user) {
        lobby.owner = lobby.members.front();
        broadcast(lobby, OwnerChanged{lobby.id, lobby.owner});
    }
    broadcast(lobby, MemberChanged{lobby.id, user, user, change});
}

void LobbyDirectory::on(UserId user, const FindLobbies& request) {
    LobbyListReply reply{request.request, {}};
    for (const auto& [id, lobby] : m_lobbies) {
        if (reply.lobbies.size() >= request.max_results) break;
        if (lobby.type != LobbyType::Public || lobby.members.size() >= lobby.max_members) continue;
        const bool matches = std::ranges::all_of(request.filters, [&lobby](const LobbyDataEntry& filter) {
            auto value = lobby.data.find(filter.key);
            return (value == lobby.data.end() ? std::string() : value->second) == filter.value;
        });
        if (matches)
            reply.lobbies.push_back(
                {id, lobby.owner, static_cast<uint32_t>(lobby.members.size()), lobby.max_members});
    }
    m_mailbox.deliver(user, reply);
}

void LobbyDirectory::on(UserId user, const RequestLobbyData& request) {
    auto found = m_lobbies.find(request.lobby);
    const bool visible = found != m_lobbies.end() &&
                         (found->second.type != LobbyType::Private ||
                          std::ranges::find(found->second.members, user) != found->second.members.end());
    if (!visible) return send_error(user, request.request, ErrorCode::NoSuchLobby, "no such lobby");
    m_mailbox.deliver(user, snapshot_of(found->second, request.request));
}

void LobbyDirectory::on(UserId user, const SetLobbyData& request) {
    Lobby* lobby = lobby_of_member(user, request.lobby, request.request);
    if (lobby == nullptr) return;
    if (lobby->owner != user)
        return send_error(user, request.request, ErrorCode::NotOwner, "only the lobby's owner sets its data");
    if (request.value.empty()) {
        lobby->data.erase(request.key);
    } else if (lobby->data.size() >= kMaxLobbyDataEntries && !lobby->data.contains(request.key)) {
        return send_error(user, request.request, ErrorCode::LimitReached, "the lobby holds the most keys it may");
    } else {
        lobby->data[request.key] = request.value;
    }
    broadcast(*lobby, LobbyDataChanged{lobby->id, request.key, request.value});
}

void LobbyDirectory::on(UserId user, const SendChat& request) {
    Lobby* lobby = lobby_of_member(user, request.lobby, 0);
    if (lobby != nullptr) broadcast(*lobby, ChatEntry{lobby->id, user, lobby->next_chat_id++, request.data});
}

void LobbyDirectory::on(UserId user, const InviteUser& request) {
    Lobby* lobby = lobby_of_member(user, request.lobby, request.request);
    if (lobby == nullptr) return;
    if (!m_users.contains(request.invitee))
        return send_error(user, request.request, ErrorCode::NoSuchUser, "the invitee is not connected");
    if (lobby->invited.size() >= kMaxInvitationsPerLobby)
        return send_error(user, request.request, ErrorCode::LimitReached, "the lobby has too many open invitations");
    lobby->invited.insert(request.invitee);
    m_mailbox.deliver(request.invitee, JoinRequested{lobby->id, user});
}

void LobbyDirectory::on(UserId user, const SendPacket& request) {
    if (!m_users.contains(request.receiver)) {
        m_mailbox.deliver(user, PacketUndeliverable{request.receiver, PacketReceiverOffline});
    } else if (!share_lobby(user, request.receiver)) {
        m_mailbox.deliver(user, PacketUndeliverable{request.receiver, PacketNoSharedLobby});
    } else {
        m_mailbox.deliver(request.receiver, PacketDelivery{user, request.channel, request.data});
    }
}

void LobbyDirectory::on(UserId user, const CloseSession& request) {
    if (m_users.contains(request.remote) && share_lobby(user, request.remote))
        m_mailbox.deliver(request.remote, SessionClosed{user});
}

LobbyDirectory::Lobby* LobbyDirectory::lobby_of_member(UserId user, LobbyId id, uint32_t request) {
    auto found = m_lobbies.find(id);
    if (found == m_lobbies.end()) {
        send_error(user, request, ErrorCode::NoSuchLobby, "no such lobby");
        return nullptr;
    }
    if (std::ranges::find(found->second.members, user) == found->second.members.end()) {
        send_error(user, request, ErrorCode::NotMember, "not a member of the lobby");
        return nullptr;
    }
    return &found->second;
}

bool LobbyDirectory::share_lobby(UserId a, UserId b) const {
    const std::vector<LobbyId>& lobbies = m_users.at(a);
    return std::ranges::any_of(lobbies, [this, b](LobbyId id) {
        const std::vector<UserId>& members = m_lobbies.at(id).members;
        return std::ranges::find(members, b) != members.end();
    });
}

LobbySnapshot LobbyDirectory::snapshot_of(const Lobby& lobby, uint32_t request) const {
    LobbySnapshot snapshot{request, lobby.id, lobby.type, lobby.max_members, lobby.owner, lobby.members, {}};
    for (const auto& [key, value] : lobby.data) snapshot.data.push_back({key, value});
    return snapshot;
}

void LobbyDirectory::broadcast(const Lobby& lobby, const Message& message) {
    for (UserId member : lobby.members) m_mailbox.deliver(member, message);
}

void LobbyDirectory::send_error(UserId user, uint32_t request, ErrorCode code, std::string text) {
    m_mailbox.deliver(user, Error{request, code, std::move(text)});
}

}  // namespace me::lobby
