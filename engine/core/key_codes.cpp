#include "core/key_codes.h"

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

namespace me {

namespace {

// A run of constants whose names end in a counter: KEY_A ... KEY_Z, KEY_F1 ...
struct NumberedKeys {
    const char* prefix;
    int32_t first_code;
    int32_t last_code;
    // What the first name ends in; letters count on as letters.
    char first_label;
};

constexpr ScriptConstant kNamedKeys[] = {
    {"KEY_NONE", kKeyNone},
    {"KEY_BACKSPACE", kKeyBackspace},
    {"KEY_TAB", kKeyTab},
    {"KEY_ENTER", kKeyEnter},
    {"KEY_ESC", kKeyEsc},
    {"KEY_SPACE", kKeySpace},
    {"KEY_QUOTE", kKeyQuote},
    {"KEY_COMMA", kKeyComma},
    {"KEY_MINUS", kKeyMinus},
    {"KEY_PERIOD", kKeyPeriod},
    {"KEY_SLASH", kKeySlash},
    {"KEY_SEMICOLON", kKeySemicolon},
    {"KEY_EQUALS", kKeyEquals},
    {"KEY_LEFT_BRACKET", kKeyLeftBracket},
    {"KEY_BACKSLASH", kKeyBackslash},
    {"KEY_RIGHT_BRACKET", kKeyRightBracket},
    {"KEY_BACKQUOTE", kKeyBackquote},
    {"KEY_NUMPAD_PERIOD", kKeyNumpadPeriod},
    {"KEY_NUMPAD_DIVIDE", kKeyNumpadDivide},
    {"KEY_NUMPAD_MULTIPLY", kKeyNumpadMultiply},
    {"KEY_NUMPAD_MINUS", kKeyNumpadMinus},
    {"KEY_NUMPAD_PLUS", kKeyNumpadPlus},
    {"KEY_NUMPAD_ENTER", kKeyNumpadEnter},
    {"KEY_UP", kKeyUp},
    {"KEY_DOWN", kKeyDown},
    {"KEY_LEFT", kKeyLeft},
    {"KEY_RIGHT", kKeyRight},
    {"KEY_INSERT", kKeyInsert},
    {"KEY_DELETE", kKeyDelete},
    {"KEY_HOME", kKeyHome},
    {"KEY_END", kKeyEnd},
    {"KEY_PAGE_UP", kKeyPageUp},
    {"KEY_PAGE_DOWN", kKeyPageDown},
    {"KEY_PRINT_SCREEN", kKeyPrintScreen},
    {"KEY_RIGHT_SHIFT", kKeyRightShift},
    {"KEY_LEFT_SHIFT", kKeyLeftShift},
    {"KEY_RIGHT_CTRL", kKeyRightCtrl},
    {"KEY_LEFT_CTRL", kKeyLeftCtrl},
    {"KEY_RIGHT_ALT", kKeyRightAlt},
    {"KEY_LEFT_ALT", kKeyLeftAlt},
    {"KEY_LEFT_CMD", kKeyLeftCmd},
    {"KEY_RIGHT_CMD", kKeyRightCmd},
    {"MOUSE_LEFT", kMouseLeft},
    {"MOUSE_RIGHT", kMouseRight},
    {"MOUSE_MIDDLE", kMouseMiddle},
    {"MOUSE_BUTTON_4", kMouseButton4},
    {"MOUSE_BUTTON_5", kMouseButton5},
    {"MOUSE_WHEEL_UP", kMouseWheelUp},
    {"MOUSE_WHEEL_DOWN", kMouseWheelDown},
    {"JOY_PAD_UP", kJoyPadUp},
    {"JOY_PAD_DOWN", kJoyPadDown},
    {"JOY_PAD_LEFT", kJoyPadLeft},
    {"JOY_PAD_RIGHT", kJoyPadRight},
};

constexpr NumberedKeys kNumberedKeys[] = {
    {"KEY_", kKey0, kKey9, '0'},
    {"KEY_", kKeyA, kKeyZ, 'A'},
    {"KEY_NUMPAD_", kKeyNumpad0, kKeyNumpad9, '0'},
    {"KEY_F", kKeyF1, kKeyF15, '1'},
    {"JOY_", kJoy0, kJoy19, '0'},
    {"TOUCH_", kTouch0, kTouch3, '0'},
};

// Aliases of other codes; they follow every code they alias.
constexpr ScriptConstant kBounds[] = {
    {"KEY_LAST", kKeyLast},
    {"KEY_COUNT", kKeyCount},
};

std::string numbered_name(const NumberedKeys& run, int32_t offset) {
    std::string name(run.prefix);
    if (run.first_label >= 'A')
        name += static_cast<char>(run.first_label + offset);
    else
        name += std::to_string(run.first_label - '0' + offset);
    return name;
}

class KeyCodeTable {
public:
    KeyCodeTable() {
        m_constants.assign(std::begin(kNamedKeys), std::end(kNamedKeys));
        for (const NumberedKeys& run : kNumberedKeys) {
            for (int32_t code = run.first_code; code <= run.last_code; ++code) {
                const std::string& name = m_names.emplace_back(numbered_name(run, code - run.first_code));
                m_constants.push_back({name, code});
            }
        }
        std::stable_sort(m_constants.begin(), m_constants.end(),
                         [](const ScriptConstant& a, const ScriptConstant& b) { return a.value < b.value; });
        m_constants.insert(m_constants.end(), std::begin(kBounds), std::end(kBounds));
    }

    std::span<const ScriptConstant> constants() const { return m_constants; }

private:
    // A deque never moves its strings, so the views into them stay valid.
    std::deque<std::string> m_names;
    std::vector<ScriptConstant> m_constants;
};

const KeyCodeTable& table() {
    static const KeyCodeTable instance;
    return instance;
}

}  // namespace

std::span<const ScriptConstant> key_code_constants() { return table().constants(); }

std::string_view key_code_name(int32_t code) {
    if (code < kKeyNone || code > kKeyLast)
        return {};
    for (const ScriptConstant& constant : key_code_constants()) {
        if (constant.value == code)
            return constant.name;
    }
    return {};
}

}  // namespace me
