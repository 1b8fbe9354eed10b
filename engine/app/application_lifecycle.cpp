#include "app/application_lifecycle.h"

#include <SDL.h>

#include <chrono>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "app/frame.h"
#include "app/game_controllers.h"
#include "app/main_window.h"
#include "audio/audio_system.h"
#include "core/application.h"
#include "core/builtin_cvars.h"
#include "core/clock.h"
#include "core/command_line.h"
#include "core/console.h"
#include "core/cvar_default.h"
#include "core/cvar_registry.h"
#include "core/fatal_error.h"
#include "core/launch_options.h"
#include "core/log.h"
#include "core/paths.h"
#include "gpu/quad_batch.h"
#include "gpu/render_device.h"
#include "network/connection_manager.h"
#include "network/network_logger.h"
#include "network/replay_recorder.h"
#include "network/state_manager.h"
#include "platform/file.h"
#include "platform/lobby_service_platform.h"
#include "platform/offline_platform.h"
#include "platform/platform_client.h"
#include "platform/platform_services.h"
#include "resources/builtin_resources.h"
#include "resources/resource_list.h"
#include "resources/resource_registry.h"
#include "script/interned_name.h"
#include "script/script_host.h"
#include "script/script_root.h"
#include "world/gorath_globals.h"

namespace me {

int run_application(int argc, char** argv) {
    if (const std::optional<int> exit_code = apply_command_line(argc, argv, std::cout, std::cerr, g_launch_options))
        return *exit_code;
    SDL_SetMainReady();
    g_argc = argc;
    g_argv = argv;
    return run_main_loop() ? g_application->exit_status : 1;
}

bool run_main_loop() {
    if (!startup())
        return false;
    do {
        frame();
    } while (!g_application->quit_requested);
    call_root_callback(root_names::application_will_terminate);
    call_root_callback(root_names::shutdown);
    g_cvar_registry->save_user();
    teardown();
    return true;
}

namespace {

// Creates every process-wide component, in the order that start-up and the
// frame rely on; each registers its own global. Constructors only set fields.
void create_components() {
    g_log = new Log();
    new Application();
    g_main_window = new MainWindow();
    set_fatal_error_window_closer([] {
        if (g_main_window != nullptr && g_main_window->exists())
            g_main_window->destroy();
    });
    g_render_device = new RenderDevice();
    g_sprite_batch = new QuadBatch(*g_render_device);
    g_audio_system = new AudioSystem();
    new ScriptHost();
    g_name_table = new NameTable();
    g_cvar_registry = new CVarRegistry();
    g_script_root = new ScriptRoot();
    g_resource_list = new ResourceList();
    g_network_logger = new NetworkLogger();
    g_connection_manager = new ConnectionManager();
    g_connection_manager->set_random_range(
        [](int32_t min, int32_t max) { return g_application->random_int(min, max); });
    g_state_manager = new StateManager();
    // A state sent to this node in STAT chunks lands in save slot 0.
    g_connection_manager->stat_receiver().set_target(
        [] { return g_state_manager->accepts_received_state(); },
        [](std::vector<uint8_t> bytes) { g_state_manager->receive_complete_state(bytes); });
    g_replay_recorder = new ReplayRecorder();
    g_game_controllers = new GameControllers();
    g_platform_services = new PlatformServices();
}

// Video is started by the main window, so that a missing display costs only
// the window.
constexpr uint32_t kSdlSubsystems = SDL_INIT_TIMER | SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS;
constexpr size_t kReservedResources = 1000;

// "1" logs how long each start-up step took, to find what delays the first
// frame.
CVarDefault g_log_startup_times("system::log_startup_times", "0", CVarType::Bool);

// Milliseconds of each start-up step, in order.
class StartupTimes {
public:
    StartupTimes() : m_last(std::chrono::steady_clock::now()), m_first(m_last) {}

    void step_done(const char* step) {
        const auto now = std::chrono::steady_clock::now();
        m_steps.emplace_back(step, milliseconds(now - m_last));
        m_last = now;
    }

    void log() const {
        std::string line = "Start-up took " + std::to_string(milliseconds(m_last - m_first)) + " ms:";
        for (const auto& [step, ms] : m_steps)
            line += " " + std::string(step) + " " + std::to_string(ms) + ",";
        line.pop_back();
        log_info(line);
    }

private:
    static long long milliseconds(std::chrono::steady_clock::duration duration) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(duration).count();
    }

    std::chrono::steady_clock::time_point m_last;
    std::chrono::steady_clock::time_point m_first;
    std::vector<std::pair<const char*, long long>> m_steps;
};

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
    if (platform::LobbyServicePlatform::configured())
        platform::g_platform = new platform::LobbyServicePlatform();
    else
        platform::g_platform = new platform::OfflinePlatform();
    if (!platform::g_platform->init())
        fail_startup("SteamAPI_Init() failed!");
    g_platform_services->start(*platform::g_platform);
    log_info("Steam inited...");
}

void start_sdl() {
    SDL_SetHint("SDL_VIDEO_MAC_FULLSCREEN_SPACES", "0");
    if (SDL_Init(kSdlSubsystems) != 0)
        fail_startup(format_message("Cannot initialize SDL: %1.", SDL_GetError()));
}

void start_devices(StartupTimes& times) {
    g_main_window->set_opengl_setup([] { return g_render_device->initialize_gl(); });
    g_main_window->create();
    on_resolution_changed(*g_application, true);
    times.step_done("window");
    g_connection_manager->set_mode(ConnectionManager::None);
    g_connection_manager->start(platform::g_platform);
    g_connection_manager->lobby().accept_command_line(g_argc, g_argv);
    g_audio_system->set_random(g_application->rng);
    g_audio_system->start();
    times.step_done("audio");
    g_render_device->start();
    load_builtin_resources(*g_render_device);
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
    StartupTimes times;
    create_components();
    g_script_host->create_vm();
    start_resource_registry(g_script_host->vm());
    times.step_done("script VM");
    load_configuration();
    g_log->open();
    g_network_logger->start();
    times.step_done("configuration and log");
    start_platform();
    start_sdl();
    TimerPeriod::begin();
    g_script_host->intern_names();
    g_application->frame_pacer.restart();
    times.step_done("platform and SDL");
    start_devices(times);
    times.step_done("render device and controllers");
    start_game();
    times.step_done("boot script, preinit, first frame and init");
    if (g_log_startup_times.bool_value())
        times.log();
    g_application->frame_pacer.restart_one_frame_ago(frame_rate_cap());
    return true;
}

void teardown() {
    if (g_replay_recorder->has_unfinished_recording())
        g_replay_recorder->write();
    g_cvar_registry->save_user();
    const bool wait_for_key = cvars::console_wait_on_exit.bool_value();
    g_audio_system->release();
    // Rooms' shared targets are GL objects: they go while the context lives.
    shutdown_gorath_globals();
    g_render_device->release_shared_object();
    g_main_window->destroy();
    g_connection_manager->teardown();
    if (TimerPeriod::in_force())
        TimerPeriod::end();
    if (wait_for_key)
        Console::wait_for_key();
    File::close_all_written();
    g_platform_services->stop();
    platform::g_platform->shutdown();
    SDL_Quit();
}

}  // namespace me
