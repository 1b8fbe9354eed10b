#include <SDL.h>

#include <string>

#include "app/application.h"
#include "app/application_lifecycle.h"
#include "app/clock.h"
#include "app/components.h"
#include "app/components_audio_system.h"
#include "app/components_connection_manager.h"
#include "app/components_game_controllers.h"
#include "app/components_main_window.h"
#include "app/components_network_logger.h"
#include "app/components_render_device.h"
#include "app/components_resource_list.h"
#include "app/components_sprite_batch.h"
#include "app/cvar_registry.h"
#include "app/fatal_error.h"
#include "app/frame.h"
#include "app/log.h"
#include "platform/offline_platform.h"
#include "script/root_callbacks.h"
#include "script/script_host.h"
#include "script/script_root.h"

namespace me {

namespace {

// Video is started by the main window, so that a missing display costs only
// the window.
constexpr uint32_t kSdlSubsystems = SDL_INIT_TIMER | SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS;
constexpr size_t kReservedResources = 1000;

[[noreturn]] void fail_startup(const std::string& message) {
    log_error(message);
    fatal_error(message);
}

void load_configuration() {
    g_cvar_registry->register_defaults();
    if (!g_cvar_registry->load_boot())
        fail_startup("Can't load boot config.");
    g_cvar_registry->load_user();
}

void start_platform() {
    platform::g_platform = new platform::OfflinePlatform();
    if (!platform::g_platform->init())
        fail_startup("SteamAPI_Init() failed!");
    log_info("Steam inited...");
}

void start_sdl() {
    SDL_SetHint("SDL_VIDEO_MAC_FULLSCREEN_SPACES", "0");
    if (SDL_Init(kSdlSubsystems) != 0)
        fail_startup(format_message("Cannot initialize SDL: %1.", SDL_GetError()));
}

void start_devices() {
    g_main_window->set_opengl_setup([] { return g_render_device->initialize_gl(); });
    g_main_window->create();
    g_application->on_resolution_changed(true);
    g_connection_manager->set_mode(ConnectionManager::None);
    g_connection_manager->start();
    g_audio_system->start();
    g_render_device->start();
    g_sprite_batch->create_buffers();
    g_resource_list->reserve(kReservedResources);
    g_game_controllers->enumerate();
}

void start_game() {
    g_script_root->root = g_script_host->run_boot_script();
    call_root_callback(root_names::preinit);
    render_and_present(true);
    call_root_callback(root_names::init);
}

}  // namespace

bool startup() {
    create_components();
    g_script_host->create_vm();
    load_configuration();
    g_log->open();
    g_network_logger->start();
    start_platform();
    start_sdl();
    TimerPeriod::begin();
    g_script_host->intern_names();
    g_application->frame_pacer.restart();
    start_devices();
    start_game();
    g_application->frame_pacer.restart();
    return true;
}

}  // namespace me
