#pragma once

#include <initializer_list>

#include "script/game_object.h"
#include "script/interned_name.h"
#include "script/script_argument.h"
#include "script/script_object.h"

namespace me {

enum class InstanceMethodCall { Called, MissingMethod, NotCalled };

// Calls the named method of an object's script instance with the instance as
// `this`. MissingMethod when the instance has no such slot, so callers can
// remember it and skip the lookup next time; NotCalled when there is no
// script host, no bound instance, or the slot is not a function.
InstanceMethodCall call_instance_method(GameObject& object, const InternedName& name,
                                        std::initializer_list<ScriptArgument> arguments,
                                        ScriptObject* result = nullptr);

}  // namespace me
