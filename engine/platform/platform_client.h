#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/callback_dispatcher.h"
#include "platform/platform_notifications.h"

namespace me::platform {

// The community platform as the engine uses it: start-up, the callback pump,
// the local user, statistics and achievements, cloud files, the overlay,
// lobbies and peer-to-peer packets. A backend implements the calls; results
// and notifications reach listeners only inside run_callbacks().
class PlatformClient {
public:
    virtual ~PlatformClient() = default;

    virtual bool init() = 0;
    virtual void shutdown() = 0;
    // Once per frame: the backend takes in what its service sent, then every
    // pending result and notification is delivered.
    void run_callbacks() {
        pump();
        m_callbacks.run();
    }
    CallbackDispatcher& callbacks() { return m_callbacks; }

    virtual UserId local_user_id() const = 0;
    virtual uint64_t game_id() const = 0;

    // Statistics and achievements. Values change locally until store_stats;
    // request_current_stats and store_stats answer with UserStatsReceived and
    // UserStatsStored.
    virtual bool request_current_stats() = 0;
    virtual bool get_stat(std::string_view name, int32_t& value) = 0;
    virtual bool get_stat(std::string_view name, float& value) = 0;
    virtual bool set_stat(std::string_view name, int32_t value) = 0;
    virtual bool set_stat(std::string_view name, float value) = 0;
    virtual bool get_achievement(std::string_view name, bool& achieved) = 0;
    virtual bool set_achievement(std::string_view name) = 0;
    virtual bool store_stats() = 0;
    virtual bool reset_all_stats(bool achievements_too) = 0;

    // Cloud files, addressed by name.
    virtual bool file_exists(std::string_view name) = 0;
    virtual int32_t file_size(std::string_view name) = 0;  // -1 when missing
    virtual int32_t file_read(std::string_view name, void* buffer, int32_t capacity) = 0;
    virtual bool file_write(std::string_view name, const void* data, int32_t size) = 0;

    // Overlay.
    virtual void activate_overlay(std::string_view dialog) = 0;
    virtual void activate_overlay_to_web_page(std::string_view url) = 0;
    virtual void activate_invite_dialog(LobbyId lobby) = 0;

    // Lobbies. create_lobby and join_lobby answer with the call results
    // LobbyCreated and LobbyEnter for the handle they return. Without a lobby
    // service behind the backend, lobbies_available is false and every lobby
    // call fails.
    virtual bool lobbies_available() const = 0;
    virtual CallHandle create_lobby(LobbyType type, int32_t max_members) = 0;
    virtual CallHandle join_lobby(LobbyId lobby) = 0;
    virtual void leave_lobby(LobbyId lobby) = 0;
    virtual bool is_valid_lobby(LobbyId lobby) const = 0;
    virtual UserId lobby_owner(LobbyId lobby) = 0;
    virtual int32_t lobby_member_count(LobbyId lobby) = 0;
    virtual UserId lobby_member(LobbyId lobby, int32_t index) = 0;
    virtual std::string lobby_data(LobbyId lobby, std::string_view key) = 0;
    virtual bool set_lobby_data(LobbyId lobby, std::string_view key, std::string_view value) = 0;
    virtual bool send_lobby_chat(LobbyId lobby, const void* data, int32_t size) = 0;
    // The bytes of one chat entry and its sender; empty when there is none.
    virtual std::optional<std::vector<uint8_t>> lobby_chat_entry(LobbyId lobby, uint32_t chat_id,
                                                                 UserId& sender) = 0;

    // Peer-to-peer packets, sent reliably on a channel. A read copies at most
    // capacity bytes and gives the packet's whole size.
    virtual bool send_p2p_packet(UserId remote, const void* data, uint32_t size, int32_t channel) = 0;
    virtual bool is_p2p_packet_available(uint32_t& size, int32_t channel) = 0;
    virtual bool read_p2p_packet(void* buffer, uint32_t capacity, uint32_t& size, UserId& remote,
                                 int32_t channel) = 0;
    virtual bool accept_p2p_session(UserId remote) = 0;
    virtual bool close_p2p_session(UserId remote) = 0;
    virtual bool p2p_session_state(UserId remote, P2PSessionState& state) = 0;

protected:
    virtual void pump() {}

    CallbackDispatcher m_callbacks;
};

extern PlatformClient* g_platform;

// The low 32 bits of a platform user id: a node's id in lobby mode.
inline uint32_t account_number(UserId user) { return static_cast<uint32_t>(user); }

}  // namespace me::platform
