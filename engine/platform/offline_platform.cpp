#include "platform/offline_platform.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>

#include "core/cvar_default.h"
#include "core/log.h"
#include "core/paths.h"
#include "platform/web_page.h"

namespace me::platform {
namespace {

// An individual account in the platform's public universe, account number 1,
// so that the local node id in lobby mode matches network::node_id's default.
constexpr const char* kDefaultUserId = "76561197960265729";

CVarDefault g_user_id_cvar("platform::user_id", kDefaultUserId, CVarType::String);

UserId parse_user_id(std::string_view text) {
    UserId user = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), user);
    return error == std::errc() && end == text.data() + text.size() ? user : 0;
}

UserId configured_user() {
    std::string text = g_user_id_cvar.text();
    UserId user = parse_user_id(text);
    if (user != 0)
        return user;
    log_warning(format_message("platform::user_id '%1' is not a user id, using %2.", text, kDefaultUserId));
    return parse_user_id(kDefaultUserId);
}

void report_no_lobbies() { log_error("Lobbies are not available on the offline platform."); }

void report_no_peer_to_peer() { log_error("Peer-to-peer packets are not available on the offline platform."); }

}  // namespace

bool OfflinePlatform::init() {
    m_user = configured_user();
    std::string directory = paths::save_file(format_message("platform/%1", m_user));
    m_stats = std::make_unique<StatsStore>(paths::join(directory, "stats.txt"));
    m_cloud = std::make_unique<CloudStorage>(paths::join(directory, "cloud"));
    m_stats_loaded = false;
    return true;
}

void OfflinePlatform::shutdown() {
    m_stats.reset();
    m_cloud.reset();
    m_stats_loaded = false;
}

// ---------------------------------------------------------------------------
// Statistics and achievements

bool OfflinePlatform::request_current_stats() {
    if (!m_stats)
        return false;
    m_stats->load();
    m_stats_loaded = true;
    m_callbacks.post(UserStatsReceived{kGameId, ResultOk, m_user});
    return true;
}

bool OfflinePlatform::get_stat(std::string_view name, int32_t& value) {
    return m_stats_loaded && m_stats->get(name, value);
}

bool OfflinePlatform::get_stat(std::string_view name, float& value) {
    return m_stats_loaded && m_stats->get(name, value);
}

bool OfflinePlatform::set_stat(std::string_view name, int32_t value) {
    return m_stats_loaded && m_stats->set(name, value);
}

bool OfflinePlatform::set_stat(std::string_view name, float value) {
    return m_stats_loaded && m_stats->set(name, value);
}

bool OfflinePlatform::get_achievement(std::string_view name, bool& achieved) {
    if (!m_stats_loaded || !StatsStore::valid_name(name))
        return false;
    achieved = m_stats->achieved(name);
    return true;
}

bool OfflinePlatform::set_achievement(std::string_view name) {
    return m_stats_loaded && m_stats->set_achieved(name, true);
}

bool OfflinePlatform::store_stats() {
    if (!m_stats_loaded || !m_stats->save())
        return false;
    m_callbacks.post(UserStatsStored{kGameId, ResultOk});
    return true;
}

bool OfflinePlatform::reset_all_stats(bool achievements_too) {
    if (!m_stats_loaded)
        return false;
    m_stats->reset(achievements_too);
    return m_stats->save();
}

// ---------------------------------------------------------------------------
// Cloud files

bool OfflinePlatform::file_exists(std::string_view name) { return m_cloud && m_cloud->exists(name); }

int32_t OfflinePlatform::file_size(std::string_view name) {
    std::optional<int64_t> size = m_cloud ? m_cloud->size(name) : std::nullopt;
    if (!size || *size > std::numeric_limits<int32_t>::max())
        return -1;
    return static_cast<int32_t>(*size);
}

int32_t OfflinePlatform::file_read(std::string_view name, void* buffer, int32_t capacity) {
    if (!m_cloud || !buffer || capacity <= 0)
        return 0;
    std::optional<std::string> bytes = m_cloud->read(name);
    if (!bytes)
        return 0;
    size_t count = std::min(bytes->size(), static_cast<size_t>(capacity));
    std::memcpy(buffer, bytes->data(), count);
    return static_cast<int32_t>(count);
}

bool OfflinePlatform::file_write(std::string_view name, const void* data, int32_t size) {
    if (!m_cloud || size < 0 || (!data && size > 0))
        return false;
    return m_cloud->write(name, std::string_view(static_cast<const char*>(data), static_cast<size_t>(size)));
}

// ---------------------------------------------------------------------------
// Overlay

void OfflinePlatform::activate_overlay(std::string_view dialog) {
    log_info(format_message("Overlay dialog '%1' is not available on the offline platform.", dialog));
}

void OfflinePlatform::activate_overlay_to_web_page(std::string_view url) {
    if (!open_web_page(url))
        log_warning(format_message("Can't open the web page '%1'.", url));
}

void OfflinePlatform::activate_invite_dialog(LobbyId) { report_no_lobbies(); }

// ---------------------------------------------------------------------------
// Lobbies and peer-to-peer packets: not available offline

CallHandle OfflinePlatform::create_lobby(LobbyType, int32_t) {
    report_no_lobbies();
    return kNoCall;
}

CallHandle OfflinePlatform::join_lobby(LobbyId) {
    report_no_lobbies();
    return kNoCall;
}

void OfflinePlatform::leave_lobby(LobbyId) {}
bool OfflinePlatform::is_valid_lobby(LobbyId) const { return false; }
UserId OfflinePlatform::lobby_owner(LobbyId) { return 0; }
int32_t OfflinePlatform::lobby_member_count(LobbyId) { return 0; }
UserId OfflinePlatform::lobby_member(LobbyId, int32_t) { return 0; }
std::string OfflinePlatform::lobby_data(LobbyId, std::string_view) { return std::string(); }

bool OfflinePlatform::set_lobby_data(LobbyId, std::string_view, std::string_view) {
    report_no_lobbies();
    return false;
}

bool OfflinePlatform::send_lobby_chat(LobbyId, const void*, int32_t) {
    report_no_lobbies();
    return false;
}

std::optional<std::vector<uint8_t>> OfflinePlatform::lobby_chat_entry(LobbyId, uint32_t, UserId& sender) {
    sender = 0;
    return std::nullopt;
}

bool OfflinePlatform::send_p2p_packet(UserId, const void*, uint32_t, int32_t) {
    report_no_peer_to_peer();
    return false;
}

bool OfflinePlatform::is_p2p_packet_available(uint32_t& size, int32_t) {
    size = 0;
    return false;
}

bool OfflinePlatform::read_p2p_packet(void*, uint32_t, uint32_t& size, UserId& remote, int32_t) {
    size = 0;
    remote = 0;
    return false;
}

bool OfflinePlatform::accept_p2p_session(UserId) {
    report_no_peer_to_peer();
    return false;
}

bool OfflinePlatform::close_p2p_session(UserId) { return false; }
bool OfflinePlatform::p2p_session_state(UserId, P2PSessionState&) { return false; }

}  // namespace me::platform
