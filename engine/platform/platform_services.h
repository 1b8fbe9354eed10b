#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform_client.h"

namespace me {

// Statistics, achievements, cloud files and the overlay as the game sees
// them, on top of the platform client. Statistics are asked for on the first
// frame; values can be set once they have arrived, and a store asked for by
// the game is made on a later frame (retried every frame until the client
// accepts it). Every failure is logged and answered with false, 0 or nothing.
class PlatformServices {
public:
    PlatformServices() = default;
    PlatformServices(const PlatformServices&) = delete;
    PlatformServices& operator=(const PlatformServices&) = delete;
    ~PlatformServices() { stop(); }

    // Attaches to an initialised client and listens to its statistics
    // notifications; stop() detaches before the client shuts down.
    void start(platform::PlatformClient& client);
    void stop();
    // A client is attached: statistics, achievements, cloud files and the
    // overlay can be used (statistics once they have arrived).
    bool is_available() const { return m_client != nullptr; }

    // Runs every frame before the client's callbacks.
    void housekeeping();

    void activate_overlay(std::string_view dialog);
    void activate_overlay_to_web_page(std::string_view url);

    void reset_stats_and_achievements();
    void store_stats_if_necessary();
    void unlock_achievement(std::string_view name);
    bool is_achievement_unlocked(std::string_view name);
    void set_integer_stat(std::string_view name, int32_t value);
    void set_float_stat(std::string_view name, float value);
    int32_t integer_stat(std::string_view name);
    float float_stat(std::string_view name);

    std::optional<std::string> cloud_read(std::string_view name);
    bool cloud_write(std::string_view name, std::string_view bytes);

    bool stats_received() const { return m_received; }
    bool store_requested() const { return m_store_requested; }
    bool dirty() const { return m_dirty; }

private:
    void store_if_requested();
    void on_stats_received(const platform::UserStatsReceived& received);
    void on_stats_stored(const platform::UserStatsStored& stored);
    void accept_received_stats();
    template <typename T>
    T read_stat(std::string_view name);

    platform::PlatformClient* m_client = nullptr;
    bool m_requested = false;
    bool m_received = false;
    bool m_store_requested = false;
    bool m_dirty = false;
    platform::CallbackDispatcher::ListenerId m_received_listener = 0;
    platform::CallbackDispatcher::ListenerId m_stored_listener = 0;
};

inline PlatformServices* g_platform_services = nullptr;

}  // namespace me
