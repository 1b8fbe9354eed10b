#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace me {

// The engine's key codes, shared by keyboard keys, mouse buttons and the
// mouse wheel. Printable characters without a name of their own are valid
// codes too: they keep their ASCII value.
enum KeyCode : int32_t {
    kKeyNone = 0,
    kKeyBackspace = 8,
    kKeyTab = 9,
    kKeyEnter = 13,
    kKeyEsc = 27,
    kKeySpace = 32,
    kKeyQuote = 39,
    kKeyComma = 44,
    kKeyMinus = 45,
    kKeyPeriod = 46,
    kKeySlash = 47,
    kKey0 = 48,
    kKey9 = 57,
    kKeySemicolon = 59,
    kKeyEquals = 61,
    kKeyLeftBracket = 91,
    kKeyBackslash = 92,
    kKeyRightBracket = 93,
    kKeyBackquote = 96,
    kKeyA = 97,
    kKeyZ = 122,
    kKeyNumpad0 = 128,
    kKeyNumpad9 = 137,
    kKeyNumpadPeriod = 138,
    kKeyNumpadDivide = 139,
    kKeyNumpadMultiply = 140,
    kKeyNumpadMinus = 141,
    kKeyNumpadPlus = 142,
    kKeyNumpadEnter = 143,
    kKeyUp = 144,
    kKeyDown = 145,
    kKeyLeft = 146,
    kKeyRight = 147,
    kKeyInsert = 148,
    kKeyDelete = 149,
    kKeyHome = 150,
    kKeyEnd = 151,
    kKeyPageUp = 152,
    kKeyPageDown = 153,
    kKeyPrintScreen = 154,
    kKeyF1 = 155,
    kKeyF15 = 169,
    kKeyRightShift = 170,
    kKeyLeftShift = 171,
    kKeyRightCtrl = 172,
    kKeyLeftCtrl = 173,
    kKeyRightAlt = 174,
    kKeyLeftAlt = 175,
    kKeyLeftCmd = 176,
    kKeyRightCmd = 177,
    kMouseLeft = 178,
    kMouseRight = 179,
    kMouseMiddle = 180,
    kMouseButton4 = 181,
    kMouseButton5 = 182,
    kMouseWheelUp = 183,
    kMouseWheelDown = 184,
    kJoy0 = 185,
    kJoy19 = 204,
    kJoyPadUp = 205,
    kJoyPadDown = 206,
    kJoyPadLeft = 207,
    kJoyPadRight = 208,
    kTouch0 = 209,
    kTouch3 = 212,
    kKeyLast = 212,
    kKeyCount = 213,
};

// A script constant: its upper-case name and its value.
struct ScriptConstant {
    std::string_view name;
    int32_t value;
};

// Every key-code constant scripts know (KEY_ESC, MOUSE_LEFT, JOY_0, ...),
// ordered by value; KEY_LAST and KEY_COUNT come last.
std::span<const ScriptConstant> key_code_constants();

// The first constant naming code, or an empty view for codes without one.
std::string_view key_code_name(int32_t code);

}  // namespace me
