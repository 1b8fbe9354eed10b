#pragma once

#include <memory>

#include "platform/cloud_storage.h"
#include "platform/platform_client.h"
#include "platform/stats_store.h"

namespace me::platform {

// The platform without a service behind it: one local user whose id comes
// from platform::user_id, statistics, achievements and cloud files kept in
// the save directory. Lobbies and peer-to-peer packets are not available.
class OfflinePlatform : public PlatformClient {
public:
    static constexpr uint64_t kGameId = 1;

    bool init() override;
    void shutdown() override;

    UserId local_user_id() const override { return m_user; }
    uint64_t game_id() const override { return kGameId; }

    bool request_current_stats() override;
    bool get_stat(std::string_view name, int32_t& value) override;
    bool get_stat(std::string_view name, float& value) override;
    bool set_stat(std::string_view name, int32_t value) override;
    bool set_stat(std::string_view name, float value) override;
    bool get_achievement(std::string_view name, bool& achieved) override;
    bool set_achievement(std::string_view name) override;
    bool store_stats() override;
    bool reset_all_stats(bool achievements_too) override;

    bool file_exists(std::string_view name) override;
    int32_t file_size(std::string_view name) override;
    int32_t file_read(std::string_view name, void* buffer, int32_t capacity) override;
    bool file_write(std::string_view name, const void* data, int32_t size) override;

    void activate_overlay(std::string_view dialog) override;
    void activate_overlay_to_web_page(std::string_view url) override;
    void activate_invite_dialog(LobbyId lobby) override;

    bool lobbies_available() const override { return false; }
    CallHandle create_lobby(LobbyType type, int32_t max_members) override;
    CallHandle join_lobby(LobbyId lobby) override;
    void leave_lobby(LobbyId lobby) override;
    bool is_valid_lobby(LobbyId lobby) const override;
    UserId lobby_owner(LobbyId lobby) override;
    int32_t lobby_member_count(LobbyId lobby) override;
    UserId lobby_member(LobbyId lobby, int32_t index) override;
    std::string lobby_data(LobbyId lobby, std::string_view key) override;
    bool set_lobby_data(LobbyId lobby, std::string_view key, std::string_view value) override;
    bool send_lobby_chat(LobbyId lobby, const void* data, int32_t size) override;
    std::optional<std::vector<uint8_t>> lobby_chat_entry(LobbyId lobby, uint32_t chat_id,
                                                         UserId& sender) override;

    bool send_p2p_packet(UserId remote, const void* data, uint32_t size, int32_t channel) override;
    bool is_p2p_packet_available(uint32_t& size, int32_t channel) override;
    bool read_p2p_packet(void* buffer, uint32_t capacity, uint32_t& size, UserId& remote,
                         int32_t channel) override;
    bool accept_p2p_session(UserId remote) override;
    bool close_p2p_session(UserId remote) override;
    bool p2p_session_state(UserId remote, P2PSessionState& state) override;

private:
    UserId m_user = 0;
    bool m_stats_loaded = false;  // requested; values may be read and set
    std::unique_ptr<StatsStore> m_stats;
    std::unique_ptr<CloudStorage> m_cloud;
};

}  // namespace me::platform
