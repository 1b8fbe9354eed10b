#include "app/joystick_enumeration.h"

#include <algorithm>
#include <array>

#include "core/log.h"

namespace me {

std::string joystick_guid_text(SDL_JoystickGUID guid) {
    std::array<char, 33> text{};
    SDL_JoystickGetGUIDString(guid, text.data(), static_cast<int>(text.size()));
    return text.data();
}

std::string joystick_name_text(int device_index) {
    const char* name = SDL_JoystickNameForIndex(device_index);
    return name != nullptr ? name : "<null>";
}

void log_joysticks() {
    log_info("Enumerating joysticks...");
    const int count = SDL_NumJoysticks();
    log_info(format_message("..found %1 joystick(s)", std::max(count, 0)));
    for (int index = 0; index < count; ++index) {
        log_info(format_message("..joystick index: %1, name: %2, guid: %3, game controller: %4", index,
                                joystick_name_text(index), joystick_guid_text(SDL_JoystickGetDeviceGUID(index)),
                                SDL_IsGameController(index) ? "yes" : "no"));
    }
}

}  // namespace me
