#pragma once

#include <cstdint>

namespace me {

// Which state objects may be created and destroyed now; the numbers are
// what the state manager stores.
enum class MapState : int32_t {
    Menu = 0,
    CreatingMap = 1,
    Game = 2,
    RollbackDestroy = 3,
    RollbackCreate = 4,
    RollbackLoad = 5,
    RollbackFinalize = 6,
    DestroyingMap = 7,
};

// "menu", "creating_map", ...; "unknown_state" for any other value.
const char* map_state_name(MapState state);

}  // namespace me
