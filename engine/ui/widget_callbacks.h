#pragma once

#include <initializer_list>

#include "script/game_object.h"
#include "script/interned_name.h"
#include "script/script_argument.h"

namespace me::simpleui {

// The methods a UI calls on its widgets' script instances.
namespace widget_callbacks {
extern InternedName on_key_down;
extern InternedName on_key_up;
extern InternedName on_hovered;
extern InternedName on_update;
}  // namespace widget_callbacks

// Calls the named method of the object's script instance. False when the
// object has no instance or the instance no such method; a failing call
// ends the process, as for every callback.
bool call_widget_callback(GameObject& object, const InternedName& name,
                          std::initializer_list<ScriptArgument> arguments);

}  // namespace me::simpleui
