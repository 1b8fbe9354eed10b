#include "platform/platform_services.h"

#include <limits>

#include "core/log.h"
#include "core/std_file.h"
#include "script/interned_name.h"
#include "script/script_host.h"

namespace me {

namespace {

InternedName g_on_stats_received("on_steam_user_stats_received", 190);

}  // namespace

void PlatformServices::start(platform::PlatformClient& client) {
    stop();
    m_client = &client;
    m_requested = m_received = m_store_requested = m_dirty = false;
    m_received_listener = client.callbacks().add_listener<platform::UserStatsReceived>(
        [this](const platform::UserStatsReceived& received) { on_stats_received(received); });
    m_stored_listener = client.callbacks().add_listener<platform::UserStatsStored>(
        [this](const platform::UserStatsStored& stored) { on_stats_stored(stored); });
}

void PlatformServices::stop() {
    if (m_client == nullptr)
        return;
    m_client->callbacks().remove_listener(m_received_listener);
    m_client->callbacks().remove_listener(m_stored_listener);
    m_client = nullptr;
    m_received = false;
}

void PlatformServices::housekeeping() {
    if (m_client == nullptr)
        return;
    if (!m_requested)
        m_requested = m_client->request_current_stats();
    store_if_requested();
}

void PlatformServices::store_if_requested() {
    if (!m_received || !m_store_requested)
        return;
    if (!m_dirty) {
        m_store_requested = false;
        return;
    }
    if (m_client->store_stats())
        m_dirty = m_store_requested = false;
}

// ---------------------------------------------------------------------------
// Notifications

void PlatformServices::on_stats_received(const platform::UserStatsReceived& received) {
    if (received.game_id != m_client->game_id())
        return;
    if (received.result == platform::ResultOk)
        accept_received_stats();
    else
        log_warning(format_message("RequestCurrentStats() failed %1.", received.result));
}

void PlatformServices::accept_received_stats() {
    log_info("Received stats and achievements from Steam.");
    m_received = true;
    call_root_callback(g_on_stats_received);
}

void PlatformServices::on_stats_stored(const platform::UserStatsStored& stored) {
    if (stored.game_id != m_client->game_id() || stored.result == platform::ResultOk)
        return;
    if (stored.result == platform::ResultInvalidParam) {
        // The client has put the offending values back as they were.
        log_warning("Steam StoreStats(): Some stats failed to validate!");
        accept_received_stats();
        return;
    }
    log_warning(format_message("Steam StoreStats() failed %1.", stored.result));
}

// ---------------------------------------------------------------------------
// Overlay

void PlatformServices::activate_overlay(std::string_view dialog) {
    if (m_client != nullptr)
        m_client->activate_overlay(dialog);
}

void PlatformServices::activate_overlay_to_web_page(std::string_view url) {
    if (m_client != nullptr)
        m_client->activate_overlay_to_web_page(url);
}

// ---------------------------------------------------------------------------
// Statistics and achievements

void PlatformServices::reset_stats_and_achievements() {
    log_warning("Resetting Steam stats and achievements...");
    if (m_client == nullptr || !m_client->reset_all_stats(true))
        log_error("Steam ResetAllStats() failed.");
}

void PlatformServices::store_stats_if_necessary() {
    if (m_client == nullptr)
        return;
    m_store_requested = true;
    store_if_requested();
}

void PlatformServices::unlock_achievement(std::string_view name) {
    if (!m_received)
        return;
    m_store_requested = m_dirty = true;
    if (!m_client->set_achievement(name))
        log_warning(format_message("Steam SetAchievement( %1 ) failed.", name));
}

bool PlatformServices::is_achievement_unlocked(std::string_view name) {
    bool achieved = false;
    if (m_client != nullptr && m_client->get_achievement(name, achieved))
        return achieved;
    log_warning(format_message("Steam GetAchievement( %1 ) failed.", name));
    return false;
}

void PlatformServices::set_integer_stat(std::string_view name, int32_t value) {
    if (!m_received)
        return;
    m_dirty = true;
    if (!m_client->set_stat(name, value))
        log_warning(format_message("Steam SetStat( %1 ) failed.", name));
}

void PlatformServices::set_float_stat(std::string_view name, float value) {
    if (!m_received)
        return;
    m_dirty = true;
    if (!m_client->set_stat(name, value))
        log_warning(format_message("Steam SetStat( %1 ) failed.", name));
}

template <typename T>
T PlatformServices::read_stat(std::string_view name) {
    T value{};
    if (m_client != nullptr && m_client->get_stat(name, value))
        return value;
    log_warning(format_message("Steam GetStat( %1 ) failed.", name));
    return T{};
}

int32_t PlatformServices::integer_stat(std::string_view name) { return read_stat<int32_t>(name); }
float PlatformServices::float_stat(std::string_view name) { return read_stat<float>(name); }

// ---------------------------------------------------------------------------
// Cloud files

std::optional<std::string> PlatformServices::cloud_read(std::string_view name) {
    const int32_t size = m_client != nullptr && m_client->file_exists(name) ? m_client->file_size(name) : -1;
    if (size < 0 || size > StdFile::kMaxWholeFileSize) {
        log_error(format_message("Steam Cloud: Can't read file '%1'.", name));
        return std::nullopt;
    }
    std::string bytes(static_cast<size_t>(size), '\0');
    if (size > 0 && m_client->file_read(name, bytes.data(), size) != size) {
        log_error("Steam Cloud: Read different number of bytes than file size!");
        return std::nullopt;
    }
    return bytes;
}

bool PlatformServices::cloud_write(std::string_view name, std::string_view bytes) {
    const bool fits = bytes.size() <= static_cast<size_t>(std::numeric_limits<int32_t>::max());
    if (m_client != nullptr && fits &&
        m_client->file_write(name, bytes.data(), static_cast<int32_t>(bytes.size())))
        return true;
    log_error(format_message("Steam Cloud: Error writting file '%1'.", name));
    return false;
}

}  // namespace me
