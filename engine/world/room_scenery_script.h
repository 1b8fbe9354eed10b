#pragma once

#include <span>

#include "script/bind_class.h"

namespace me {

// The RoomBase methods of its scenery (rendering, decorations, floor types,
// debug areas, particles), bound with the room's own methods.
std::span<const MethodBinding> room_scenery_methods();

}  // namespace me
