#include "script/root_callbacks.h"

#include "script/script_host.h"

namespace me {

namespace root_names {
InternedName preinit("preinit", 0);
InternedName preinit_render("preinit_render", 1);
InternedName init("init", 2);
InternedName update("update", 3);
InternedName render("render", 4);
InternedName key_down("key_down", 5);
InternedName key_up("key_up", 6);
InternedName screen_resolution_changed("screen_resolution_changed", 7);
InternedName application_will_terminate("application_will_terminate", 8);
InternedName shutdown("shutdown", 9);
InternedName handle_game_controller_button("handle_game_controller_button", 10);
}  // namespace root_names

bool call_root_callback(const InternedName& name, std::initializer_list<ScriptArgument> arguments) {
    if (g_script_host == nullptr)
        return false;
    return g_script_host->call_root(name, arguments);
}

}  // namespace me
