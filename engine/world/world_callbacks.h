#pragma once

#include <cstdint>
#include <initializer_list>

#include "script/game_object.h"
#include "script/script_argument.h"
#include "script/script_object.h"

namespace me {

// The script methods that entities and rooms call on their own instances.
enum class WorldCallback : uint8_t {
    OnMove,
    OnCollision,
    OnWallHit,
    OnGroundHit,
    Tick,
    PostTick,
    OnClipEnd,
    AddedToRoom,
    RemovedFromRoom,
    EntityAdded,
    EntityRemoved,
};

// Calls an object's world callbacks, remembering which ones its instance
// lacks: a class cannot gain members once it has instances, so a method
// found missing stays missing, and a room of a thousand entities does not
// look up a missing tick a thousand times per tick.
class WorldCallbacks {
public:
    // False when the object has no instance or the instance no such method.
    // An error in the callback ends the process, as for every callback.
    bool call(GameObject& object, WorldCallback which, std::initializer_list<ScriptArgument> arguments = {},
              ScriptObject* result = nullptr);

private:
    static uint16_t bit(WorldCallback which) { return static_cast<uint16_t>(1u << static_cast<unsigned>(which)); }

    uint16_t m_absent = 0;
};

// The object's script instance (made when it has none yet), or null.
ScriptObject script_instance_of(GameObject* object);
// What a script condition makes of the value: null, false and zero are false.
bool is_script_true(const ScriptObject& value);

}  // namespace me
