#include <SDL.h>

#include <iostream>

#include "app/application.h"
#include "app/application_lifecycle.h"
#include "app/command_line.h"
#include "app/cvar_registry.h"
#include "app/frame.h"
#include "script/root_callbacks.h"

namespace me {

int run_application(int argc, char** argv) {
    if (const std::optional<int> exit_code = apply_command_line(argc, argv, std::cout, std::cerr))
        return *exit_code;
    SDL_SetMainReady();
    g_argc = argc;
    g_argv = argv;
    return run_main_loop() ? 0 : 1;
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

}  // namespace me
