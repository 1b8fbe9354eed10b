#include "app/key_codes_from_sdl.h"

namespace me {

namespace {

constexpr SDL_Keycode kFirstPrintable = 32;
constexpr SDL_Keycode kLastPrintable = 126;

constexpr KeyCode key_after(KeyCode first, int32_t steps) { return static_cast<KeyCode>(first + steps); }

struct KeyPair {
    SDL_Keycode sdl;
    KeyCode engine;
};

constexpr KeyPair kNamedKeys[] = {
    {SDLK_BACKSPACE, kKeyBackspace},
    {SDLK_TAB, kKeyTab},
    {SDLK_RETURN, kKeyEnter},
    {SDLK_ESCAPE, kKeyEsc},
    {SDLK_DELETE, kKeyDelete},
    {SDLK_F1, kKeyF1},
    {SDLK_F2, key_after(kKeyF1, 1)},
    {SDLK_F3, key_after(kKeyF1, 2)},
    {SDLK_F4, key_after(kKeyF1, 3)},
    {SDLK_F5, key_after(kKeyF1, 4)},
    {SDLK_F6, key_after(kKeyF1, 5)},
    {SDLK_F7, key_after(kKeyF1, 6)},
    {SDLK_F8, key_after(kKeyF1, 7)},
    {SDLK_F9, key_after(kKeyF1, 8)},
    {SDLK_F10, key_after(kKeyF1, 9)},
    {SDLK_F11, key_after(kKeyF1, 10)},
    {SDLK_F12, key_after(kKeyF1, 11)},
    {SDLK_F13, key_after(kKeyF1, 12)},
    {SDLK_F14, key_after(kKeyF1, 13)},
    {SDLK_F15, kKeyF15},
    {SDLK_PRINTSCREEN, kKeyPrintScreen},
    {SDLK_INSERT, kKeyInsert},
    {SDLK_HOME, kKeyHome},
    {SDLK_PAGEUP, kKeyPageUp},
    {SDLK_END, kKeyEnd},
    {SDLK_PAGEDOWN, kKeyPageDown},
    {SDLK_UP, kKeyUp},
    {SDLK_DOWN, kKeyDown},
    {SDLK_LEFT, kKeyLeft},
    {SDLK_RIGHT, kKeyRight},
    {SDLK_KP_0, kKeyNumpad0},
    {SDLK_KP_1, key_after(kKeyNumpad0, 1)},
    {SDLK_KP_2, key_after(kKeyNumpad0, 2)},
    {SDLK_KP_3, key_after(kKeyNumpad0, 3)},
    {SDLK_KP_4, key_after(kKeyNumpad0, 4)},
    {SDLK_KP_5, key_after(kKeyNumpad0, 5)},
    {SDLK_KP_6, key_after(kKeyNumpad0, 6)},
    {SDLK_KP_7, key_after(kKeyNumpad0, 7)},
    {SDLK_KP_8, key_after(kKeyNumpad0, 8)},
    {SDLK_KP_9, kKeyNumpad9},
    {SDLK_KP_PERIOD, kKeyNumpadPeriod},
    {SDLK_KP_DIVIDE, kKeyNumpadDivide},
    {SDLK_KP_MULTIPLY, kKeyNumpadMultiply},
    {SDLK_KP_MINUS, kKeyNumpadMinus},
    {SDLK_KP_PLUS, kKeyNumpadPlus},
    {SDLK_KP_ENTER, kKeyNumpadEnter},
    {SDLK_RSHIFT, kKeyRightShift},
    {SDLK_LSHIFT, kKeyLeftShift},
    {SDLK_RCTRL, kKeyRightCtrl},
    {SDLK_LCTRL, kKeyLeftCtrl},
    {SDLK_RALT, kKeyRightAlt},
    {SDLK_LALT, kKeyLeftAlt},
    {SDLK_LGUI, kKeyLeftCmd},
    {SDLK_RGUI, kKeyRightCmd},
};

}  // namespace

KeyCode key_code_from_sdl(SDL_Keycode key) {
    if (key >= kFirstPrintable && key <= kLastPrintable)
        return static_cast<KeyCode>(key);
    for (const KeyPair& pair : kNamedKeys) {
        if (pair.sdl == key)
            return pair.engine;
    }
    return kKeyNone;
}

std::optional<KeyCode> mouse_button_code_from_sdl(uint8_t button) {
    switch (button) {
    case SDL_BUTTON_LEFT:
        return kMouseLeft;
    case SDL_BUTTON_MIDDLE:
        return kMouseMiddle;
    case SDL_BUTTON_RIGHT:
        return kMouseRight;
    case SDL_BUTTON_X1:
        return kMouseButton4;
    case SDL_BUTTON_X2:
        return kMouseButton5;
    default:
        return std::nullopt;
    }
}

}  // namespace me
