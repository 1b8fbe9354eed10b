#include "network/map_state.h"

#include <array>
#include <cstddef>

namespace me {

const char* map_state_name(MapState state) {
    static constexpr std::array<const char*, 8> kNames{
        "menu", "creating_map", "game", "rollback_destroy", "rollback_create", "rollback_load", "rollback_finalize",
        "destroying_map"};
    const auto index = static_cast<int32_t>(state);
    if (index < 0 || index >= static_cast<int32_t>(kNames.size()))
        return "unknown_state";
    return kNames[static_cast<size_t>(index)];
}

}  // namespace me
