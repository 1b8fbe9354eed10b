#include "app/key_states.h"

#include "core/application.h"

namespace me {

static_assert(KeyStates::kPressed == Application::kKeyPressed && KeyStates::kReleased == Application::kKeyReleased &&
              KeyStates::kDown == Application::kKeyDown);

void KeyStates::press(int32_t code) {
    if (contains(code))
        m_bytes[static_cast<size_t>(code)] |= kDown | kPressed;
}

void KeyStates::release(int32_t code) {
    if (!contains(code))
        return;
    uint8_t& state = m_bytes[static_cast<size_t>(code)];
    state = static_cast<uint8_t>((state & ~kDown) | kReleased);
}

}  // namespace me
