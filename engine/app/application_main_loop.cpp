#include <SDL.h>

#include "app/application.h"
#include "app/application_lifecycle.h"
#include "app/cvar_registry.h"
#include "app/frame.h"
#include "script/root_callbacks.h"

namespace me {

int run_application(int argc, char** argv) {
    SDL_SetMainReady();
    g_argc = argc;
    g_argv = argv;
    run_main_loop();
    return 0;
}

void run_main_loop() {
    if (!startup())
        return;
    do {
        frame();
    } while (!g_application->quit_requested);
    call_root_callback(root_names::application_will_terminate);
    call_root_callback(root_names::shutdown);
    g_cvar_registry->save_user();
    teardown();
}

}  // namespace me
