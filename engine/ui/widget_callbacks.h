#pragma once

#include <cstdint>
#include <initializer_list>

#include "script/game_object.h"
#include "script/interned_name.h"
#include "script/script_argument.h"

namespace me::simpleui {

// The methods a UI calls on a widget's script instance: on_key_down,
// on_key_up, on_hovered and on_update.
enum class WidgetCallback : uint8_t { KeyDown, KeyUp, Hovered, Update };

// Calls a widget's script callbacks, remembering which ones its instance
// lacks. An instance never gains a member its class did not declare, so a
// member found missing once stays missing and is not looked up again: a
// failed lookup costs an error message, and a frame calls a thousand.
class WidgetCallbacks {
public:
    // False when the object has no instance or the instance no such method;
    // a failing call ends the process, as for every callback.
    bool call(GameObject& object, WidgetCallback which, std::initializer_list<ScriptArgument> arguments);

private:
    static uint8_t bit(WidgetCallback which) { return static_cast<uint8_t>(1u << static_cast<unsigned>(which)); }

    uint8_t m_absent = 0;
};

}  // namespace me::simpleui
