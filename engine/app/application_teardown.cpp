#include <SDL.h>

#include "app/application_lifecycle.h"
#include "app/builtin_cvars.h"
#include "app/clock.h"
#include "app/components_audio_system.h"
#include "app/components_connection_manager.h"
#include "app/components_main_window.h"
#include "app/components_render_device.h"
#include "app/components_replay_recorder.h"
#include "app/console.h"
#include "app/cvar_registry.h"
#include "platform/platform_client.h"

namespace me {

void teardown() {
    if (g_replay_recorder->has_unfinished_recording())
        g_replay_recorder->write();
    g_cvar_registry->save_user();
    const bool wait_for_key = cvars::console_wait_on_exit.bool_value();
    g_audio_system->release();
    g_render_device->release_shared_object();
    g_main_window->destroy();
    g_connection_manager->shutdown();
    if (TimerPeriod::in_force())
        TimerPeriod::end();
    if (wait_for_key)
        Console::wait_for_key();
    platform::g_platform->shutdown();
    SDL_Quit();
}

}  // namespace me
