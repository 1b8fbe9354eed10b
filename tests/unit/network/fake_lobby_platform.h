#pragma once

#include <algorithm>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/platform_client.h"

namespace me::test {

class FakeLobbyPlatform;

// Lobbies and peer-to-peer packets for several users in one process: each
// user has a FakeLobbyPlatform, all share one FakeLobbyWorld. Results and
// notifications go through each user's own dispatcher, so they arrive only
// when that user runs its callbacks, as with a real platform.
class FakeLobbyWorld {
public:
    struct Lobby {
        platform::UserId owner = 0;
        int32_t max_members = 0;
        std::vector<platform::UserId> members;
        std::map<std::string, std::string, std::less<>> data;
        std::vector<std::pair<platform::UserId, std::vector<uint8_t>>> chat;
    };
    struct Packet {
        platform::UserId from;
        std::vector<uint8_t> bytes;
    };

    std::map<platform::LobbyId, Lobby> lobbies;
    std::map<platform::UserId, FakeLobbyPlatform*> users;
    std::map<platform::UserId, std::deque<Packet>> inboxes;
    platform::LobbyId next_lobby = 0x0186000000000001ULL;
    platform::CallHandle next_call = 1;

    // Tells every member but one of a change, as the platform does.
    void announce_change(platform::LobbyId lobby, platform::UserId changed, uint32_t change);
    void remove_member(platform::LobbyId lobby, platform::UserId user, uint32_t change);
    void post_chat(platform::LobbyId lobby, platform::UserId sender, std::vector<uint8_t> bytes);
};

class FakeLobbyPlatform final : public platform::PlatformClient {
public:
    FakeLobbyPlatform(FakeLobbyWorld& world, platform::UserId user) : m_world(world), m_user(user) {
        world.users[user] = this;
    }

    bool init() override { return true; }
    void shutdown() override {}
    platform::UserId local_user_id() const override { return m_user; }
    uint64_t game_id() const override { return 1; }

    bool request_current_stats() override { return false; }
    bool get_stat(std::string_view, int32_t&) override { return false; }
    bool get_stat(std::string_view, float&) override { return false; }
    bool set_stat(std::string_view, int32_t) override { return false; }
    bool set_stat(std::string_view, float) override { return false; }
    bool get_achievement(std::string_view, bool&) override { return false; }
    bool set_achievement(std::string_view) override { return false; }
    bool store_stats() override { return false; }
    bool reset_all_stats(bool) override { return false; }
    bool file_exists(std::string_view) override { return false; }
    int32_t file_size(std::string_view) override { return -1; }
    int32_t file_read(std::string_view, void*, int32_t) override { return 0; }
    bool file_write(std::string_view, const void*, int32_t) override { return false; }
    void activate_overlay(std::string_view) override {}
    void activate_overlay_to_web_page(std::string_view) override {}
    void activate_invite_dialog(platform::LobbyId lobby) override { invite_dialogs.push_back(lobby); }

    bool lobbies_available() const override { return true; }

    platform::CallHandle create_lobby(platform::LobbyType, int32_t max_members) override {
        const platform::CallHandle call = m_world.next_call++;
        if (fail_creation) {
            m_callbacks.post_call_result(call, platform::LobbyCreated{platform::ResultFail, 0});
            return call;
        }
        const platform::LobbyId lobby = m_world.next_lobby++;
        m_world.lobbies[lobby] = {m_user, max_members, {m_user}, {}, {}};
        m_callbacks.post_call_result(call, platform::LobbyCreated{platform::ResultOk, lobby});
        return call;
    }

    platform::CallHandle join_lobby(platform::LobbyId lobby) override {
        const platform::CallHandle call = m_world.next_call++;
        auto found = m_world.lobbies.find(lobby);
        uint32_t response = platform::LobbyEnterSuccess;
        if (found == m_world.lobbies.end())
            response = platform::LobbyEnterDoesntExist;
        else if (static_cast<int32_t>(found->second.members.size()) >= found->second.max_members)
            response = platform::LobbyEnterFull;
        if (response == platform::LobbyEnterSuccess) {
            found->second.members.push_back(m_user);
            m_world.announce_change(lobby, m_user, platform::MemberEntered);
        }
        m_callbacks.post_call_result(call, platform::LobbyEnter{lobby, 0, false, response});
        return call;
    }

    void leave_lobby(platform::LobbyId lobby) override { m_world.remove_member(lobby, m_user, platform::MemberLeft); }
    bool is_valid_lobby(platform::LobbyId lobby) const override { return lobby != 0; }

    platform::UserId lobby_owner(platform::LobbyId lobby) override {
        auto found = m_world.lobbies.find(lobby);
        return found != m_world.lobbies.end() ? found->second.owner : 0;
    }
    int32_t lobby_member_count(platform::LobbyId lobby) override {
        auto found = m_world.lobbies.find(lobby);
        return found != m_world.lobbies.end() ? static_cast<int32_t>(found->second.members.size()) : 0;
    }
    platform::UserId lobby_member(platform::LobbyId lobby, int32_t index) override {
        auto found = m_world.lobbies.find(lobby);
        if (found == m_world.lobbies.end() || index < 0 || index >= static_cast<int32_t>(found->second.members.size()))
            return 0;
        return found->second.members[static_cast<size_t>(index)];
    }
    std::string lobby_data(platform::LobbyId lobby, std::string_view key) override {
        auto found = m_world.lobbies.find(lobby);
        if (found == m_world.lobbies.end())
            return {};
        auto value = found->second.data.find(key);
        return value != found->second.data.end() ? value->second : std::string();
    }
    bool set_lobby_data(platform::LobbyId lobby, std::string_view key, std::string_view value) override {
        auto found = m_world.lobbies.find(lobby);
        if (found == m_world.lobbies.end() || found->second.owner != m_user)
            return false;
        found->second.data[std::string(key)] = std::string(value);
        return true;
    }
    bool send_lobby_chat(platform::LobbyId lobby, const void* data, int32_t size) override {
        const auto* bytes = static_cast<const uint8_t*>(data);
        m_world.post_chat(lobby, m_user, std::vector<uint8_t>(bytes, bytes + size));
        return true;
    }
    std::optional<std::vector<uint8_t>> lobby_chat_entry(platform::LobbyId lobby, uint32_t chat_id,
                                                         platform::UserId& sender) override {
        auto found = m_world.lobbies.find(lobby);
        if (found == m_world.lobbies.end() || chat_id >= found->second.chat.size())
            return std::nullopt;
        sender = found->second.chat[chat_id].first;
        return found->second.chat[chat_id].second;
    }

    bool send_p2p_packet(platform::UserId remote, const void* data, uint32_t size, int32_t) override {
        if (fail_sends || m_world.users.count(remote) == 0)
            return false;
        const auto* bytes = static_cast<const uint8_t*>(data);
        m_world.inboxes[remote].push_back({m_user, std::vector<uint8_t>(bytes, bytes + size)});
        return true;
    }
    bool is_p2p_packet_available(uint32_t& size, int32_t) override {
        std::deque<FakeLobbyWorld::Packet>& inbox = m_world.inboxes[m_user];
        size = inbox.empty() ? 0 : static_cast<uint32_t>(inbox.front().bytes.size());
        return !inbox.empty();
    }
    bool read_p2p_packet(void* buffer, uint32_t capacity, uint32_t& size, platform::UserId& remote,
                         int32_t) override {
        std::deque<FakeLobbyWorld::Packet>& inbox = m_world.inboxes[m_user];
        if (inbox.empty())
            return false;
        FakeLobbyWorld::Packet packet = std::move(inbox.front());
        inbox.pop_front();
        size = static_cast<uint32_t>(packet.bytes.size());
        remote = packet.from;
        std::copy_n(packet.bytes.begin(), std::min(size, capacity), static_cast<uint8_t*>(buffer));
        return true;
    }
    bool accept_p2p_session(platform::UserId remote) override {
        accepted_sessions.push_back(remote);
        return true;
    }
    bool close_p2p_session(platform::UserId remote) override {
        closed_sessions.push_back(remote);
        return true;
    }
    bool p2p_session_state(platform::UserId remote, platform::P2PSessionState& state) override {
        if (m_world.users.count(remote) == 0)
            return false;
        state = {false, true, true, 0, 0, static_cast<int32_t>(m_world.inboxes[remote].size())};
        return true;
    }

    // Lets tests post what a platform would deliver.
    platform::CallbackDispatcher& dispatcher() { return m_callbacks; }

    bool fail_creation = false;
    bool fail_sends = false;
    std::vector<platform::LobbyId> invite_dialogs;
    std::vector<platform::UserId> accepted_sessions;
    std::vector<platform::UserId> closed_sessions;

private:
    FakeLobbyWorld& m_world;
    platform::UserId m_user;
};

inline void FakeLobbyWorld::announce_change(platform::LobbyId lobby, platform::UserId changed, uint32_t change) {
    for (platform::UserId member : lobbies[lobby].members) {
        if (member != changed)
            users[member]->dispatcher().post(platform::LobbyChatUpdate{lobby, changed, changed, change});
    }
}

inline void FakeLobbyWorld::remove_member(platform::LobbyId lobby, platform::UserId user, uint32_t change) {
    auto found = lobbies.find(lobby);
    if (found == lobbies.end())
        return;
    std::vector<platform::UserId>& members = found->second.members;
    members.erase(std::remove(members.begin(), members.end(), user), members.end());
    if (members.empty()) {
        lobbies.erase(found);
        return;
    }
    if (found->second.owner == user)
        found->second.owner = members.front();
    announce_change(lobby, user, change);
}

inline void FakeLobbyWorld::post_chat(platform::LobbyId lobby, platform::UserId sender, std::vector<uint8_t> bytes) {
    auto found = lobbies.find(lobby);
    if (found == lobbies.end())
        return;
    found->second.chat.emplace_back(sender, std::move(bytes));
    const auto chat_id = static_cast<uint32_t>(found->second.chat.size() - 1);
    for (platform::UserId member : found->second.members)
        users[member]->dispatcher().post(platform::LobbyChatMsg{lobby, sender, 1, chat_id});
}

}  // namespace me::test
