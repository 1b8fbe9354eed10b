#pragma once

#include <initializer_list>

#include "script/interned_name.h"
#include "script/script_argument.h"

namespace me {

// The root object's callbacks that the application frame calls.
namespace root_names {
extern InternedName preinit;
extern InternedName preinit_render;
extern InternedName init;
extern InternedName update;
extern InternedName render;
extern InternedName key_down;
extern InternedName key_up;
extern InternedName handle_game_controller_button;
extern InternedName screen_resolution_changed;
extern InternedName application_will_terminate;
extern InternedName shutdown;
}  // namespace root_names

// Calls a member of the root object through the script host. False when there
// is no host, no root or no such member; a failing call ends the process.
bool call_root_callback(const InternedName& name, std::initializer_list<ScriptArgument> arguments = {});

}  // namespace me
