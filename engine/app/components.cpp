#include "app/components.h"

#include "app/application.h"
#include "app/components_audio_system.h"
#include "app/components_connection_manager.h"
#include "app/components_game_controllers.h"
#include "app/components_main_window.h"
#include "app/components_network_logger.h"
#include "app/components_platform_services.h"
#include "app/components_render_device.h"
#include "app/components_replay_recorder.h"
#include "app/components_resource_list.h"
#include "app/components_sprite_batch.h"
#include "app/components_state_manager.h"
#include "app/cvar_registry.h"
#include "app/log.h"
#include "app/paths.h"
#include "script/interned_name.h"
#include "script/script_host.h"
#include "script/script_root.h"

namespace me {

std::string* g_root_data_path = nullptr;
MainWindow* g_main_window = nullptr;
RenderDevice* g_render_device = nullptr;
QuadBatch* g_sprite_batch = nullptr;
AudioSystem* g_audio_system = nullptr;
GameControllers* g_game_controllers = nullptr;
ResourceList* g_resource_list = nullptr;
NetworkLogger* g_network_logger = nullptr;
ConnectionManager* g_connection_manager = nullptr;
StateManager* g_state_manager = nullptr;
ReplayRecorder* g_replay_recorder = nullptr;
PlatformServices* g_platform_services = nullptr;

void create_components() {
    g_log = new Log();
    new Application();
    g_main_window = new MainWindow();
    g_root_data_path = new std::string(paths::normalise(paths::kDataDir));
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
    g_state_manager = new StateManager();
    g_replay_recorder = new ReplayRecorder();
    g_game_controllers = new GameControllers();
    g_platform_services = new PlatformServices();
}

}  // namespace me
