#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "app/game_controllers_buttons.h"
#include "app/key_codes_from_sdl.h"
#include "core/key_codes.h"

namespace me {
namespace {

std::map<std::string, int32_t> constants_by_name(std::span<const ScriptConstant> constants) {
    std::map<std::string, int32_t> by_name;
    for (const ScriptConstant& constant : constants)
        EXPECT_TRUE(by_name.emplace(std::string(constant.name), constant.value).second) << constant.name;
    return by_name;
}

TEST(KeyCodeConstantsTest, NamesAreUniqueAndCoverTheWholeVocabulary) {
    const std::map<std::string, int32_t> names = constants_by_name(key_code_constants());
    // 138 key, mouse, joystick and touch names plus KEY_LAST and KEY_COUNT.
    EXPECT_EQ(names.size(), 140u);
    EXPECT_EQ(names.at("KEY_LAST"), 212);
    EXPECT_EQ(names.at("KEY_COUNT"), 213);
    EXPECT_EQ(kKeyCount, 213);
}

TEST(KeyCodeConstantsTest, EveryNamedValueMatchesItsTable) {
    const std::map<std::string, int32_t> names = constants_by_name(key_code_constants());
    const std::map<std::string, int32_t> expected = {
        {"KEY_NONE", 0},          {"KEY_BACKSPACE", 8},        {"KEY_TAB", 9},
        {"KEY_ENTER", 13},        {"KEY_ESC", 27},             {"KEY_SPACE", 32},
        {"KEY_QUOTE", 39},        {"KEY_COMMA", 44},           {"KEY_MINUS", 45},
        {"KEY_PERIOD", 46},       {"KEY_SLASH", 47},           {"KEY_0", 48},
        {"KEY_5", 53},            {"KEY_9", 57},               {"KEY_SEMICOLON", 59},
        {"KEY_EQUALS", 61},       {"KEY_LEFT_BRACKET", 91},    {"KEY_BACKSLASH", 92},
        {"KEY_RIGHT_BRACKET", 93}, {"KEY_BACKQUOTE", 96},      {"KEY_A", 97},
        {"KEY_M", 109},           {"KEY_Z", 122},              {"KEY_NUMPAD_0", 128},
        {"KEY_NUMPAD_9", 137},    {"KEY_NUMPAD_PERIOD", 138},  {"KEY_NUMPAD_DIVIDE", 139},
        {"KEY_NUMPAD_MULTIPLY", 140}, {"KEY_NUMPAD_MINUS", 141}, {"KEY_NUMPAD_PLUS", 142},
        {"KEY_NUMPAD_ENTER", 143}, {"KEY_UP", 144},            {"KEY_DOWN", 145},
        {"KEY_LEFT", 146},        {"KEY_RIGHT", 147},          {"KEY_INSERT", 148},
        {"KEY_DELETE", 149},      {"KEY_HOME", 150},           {"KEY_END", 151},
        {"KEY_PAGE_UP", 152},     {"KEY_PAGE_DOWN", 153},      {"KEY_PRINT_SCREEN", 154},
        {"KEY_F1", 155},          {"KEY_F10", 164},            {"KEY_F15", 169},
        {"KEY_RIGHT_SHIFT", 170}, {"KEY_LEFT_SHIFT", 171},     {"KEY_RIGHT_CTRL", 172},
        {"KEY_LEFT_CTRL", 173},   {"KEY_RIGHT_ALT", 174},      {"KEY_LEFT_ALT", 175},
        {"KEY_LEFT_CMD", 176},    {"KEY_RIGHT_CMD", 177},      {"MOUSE_LEFT", 178},
        {"MOUSE_RIGHT", 179},     {"MOUSE_MIDDLE", 180},       {"MOUSE_BUTTON_4", 181},
        {"MOUSE_BUTTON_5", 182},  {"MOUSE_WHEEL_UP", 183},     {"MOUSE_WHEEL_DOWN", 184},
        {"JOY_0", 185},           {"JOY_10", 195},             {"JOY_19", 204},
        {"JOY_PAD_UP", 205},      {"JOY_PAD_DOWN", 206},       {"JOY_PAD_LEFT", 207},
        {"JOY_PAD_RIGHT", 208},   {"TOUCH_0", 209},            {"TOUCH_3", 212},
    };
    for (const auto& [name, value] : expected) {
        ASSERT_TRUE(names.contains(name)) << name;
        EXPECT_EQ(names.at(name), value) << name;
    }
    EXPECT_FALSE(names.contains("KEY_F16"));
    EXPECT_FALSE(names.contains("JOY_20"));
    EXPECT_FALSE(names.contains("TOUCH_4"));
    EXPECT_FALSE(names.contains("KEY_NUMPAD_10"));
}

TEST(KeyCodeConstantsTest, OnlyTheBoundsShareAValueWithAnotherName) {
    std::map<int32_t, std::string> names_by_value;
    for (const ScriptConstant& constant : key_code_constants()) {
        EXPECT_GE(constant.value, 0) << constant.name;
        EXPECT_LE(constant.value, 213) << constant.name;
        const bool first = names_by_value.emplace(constant.value, std::string(constant.name)).second;
        EXPECT_TRUE(first || constant.name == "KEY_LAST") << constant.name << " repeats " << constant.value;
    }
}

TEST(KeyCodeConstantsTest, NamesAreFoundByCode) {
    EXPECT_EQ(key_code_name(0), "KEY_NONE");
    EXPECT_EQ(key_code_name(27), "KEY_ESC");
    EXPECT_EQ(key_code_name(122), "KEY_Z");
    EXPECT_EQ(key_code_name(212), "TOUCH_3");
    EXPECT_EQ(key_code_name(33), "") << "printable codes without a constant have no name";
    EXPECT_EQ(key_code_name(213), "") << "KEY_COUNT is not a code";
    EXPECT_EQ(key_code_name(-1), "");
    EXPECT_EQ(key_code_name(INT32_MIN), "");
}

TEST(KeyTranslationTest, AsciiKeysKeepTheirValues) {
    EXPECT_EQ(key_code_from_sdl(SDLK_BACKSPACE), 8);
    EXPECT_EQ(key_code_from_sdl(SDLK_TAB), 9);
    EXPECT_EQ(key_code_from_sdl(SDLK_RETURN), 13);
    EXPECT_EQ(key_code_from_sdl(SDLK_ESCAPE), 27);
    EXPECT_EQ(key_code_from_sdl(SDLK_SPACE), 32);
    EXPECT_EQ(key_code_from_sdl(SDLK_QUOTE), 39);
    EXPECT_EQ(key_code_from_sdl(SDLK_COMMA), 44);
    EXPECT_EQ(key_code_from_sdl(SDLK_MINUS), 45);
    EXPECT_EQ(key_code_from_sdl(SDLK_PERIOD), 46);
    EXPECT_EQ(key_code_from_sdl(SDLK_SLASH), 47);
    EXPECT_EQ(key_code_from_sdl(SDLK_0), 48);
    EXPECT_EQ(key_code_from_sdl(SDLK_9), 57);
    EXPECT_EQ(key_code_from_sdl(SDLK_SEMICOLON), 59);
    EXPECT_EQ(key_code_from_sdl(SDLK_EQUALS), 61);
    EXPECT_EQ(key_code_from_sdl(SDLK_LEFTBRACKET), 91);
    EXPECT_EQ(key_code_from_sdl(SDLK_BACKSLASH), 92);
    EXPECT_EQ(key_code_from_sdl(SDLK_RIGHTBRACKET), 93);
    EXPECT_EQ(key_code_from_sdl(SDLK_BACKQUOTE), 96);
    EXPECT_EQ(key_code_from_sdl(SDLK_a), 97);
    EXPECT_EQ(key_code_from_sdl(SDLK_z), 122);
}

TEST(KeyTranslationTest, EveryPrintableCodeMapsToItself) {
    for (SDL_Keycode key = 32; key <= 126; ++key)
        EXPECT_EQ(key_code_from_sdl(key), key) << key;
}

TEST(KeyTranslationTest, NamedKeysMapToTheirConstants) {
    const std::map<SDL_Keycode, int32_t> expected = {
        {SDLK_DELETE, 149},   {SDLK_F1, 155},        {SDLK_F2, 156},       {SDLK_F9, 163},
        {SDLK_F12, 166},      {SDLK_F13, 167},       {SDLK_F15, 169},      {SDLK_PRINTSCREEN, 154},
        {SDLK_INSERT, 148},   {SDLK_HOME, 150},      {SDLK_PAGEUP, 152},   {SDLK_END, 151},
        {SDLK_PAGEDOWN, 153}, {SDLK_UP, 144},        {SDLK_DOWN, 145},     {SDLK_LEFT, 146},
        {SDLK_RIGHT, 147},    {SDLK_KP_0, 128},      {SDLK_KP_1, 129},     {SDLK_KP_5, 133},
        {SDLK_KP_9, 137},     {SDLK_KP_PERIOD, 138}, {SDLK_KP_DIVIDE, 139}, {SDLK_KP_MULTIPLY, 140},
        {SDLK_KP_MINUS, 141}, {SDLK_KP_PLUS, 142},   {SDLK_KP_ENTER, 143}, {SDLK_RSHIFT, 170},
        {SDLK_LSHIFT, 171},   {SDLK_RCTRL, 172},     {SDLK_LCTRL, 173},    {SDLK_RALT, 174},
        {SDLK_LALT, 175},     {SDLK_LGUI, 176},      {SDLK_RGUI, 177},
    };
    std::set<int32_t> seen;
    for (const auto& [key, code] : expected) {
        EXPECT_EQ(key_code_from_sdl(key), code) << SDL_GetKeyName(key);
        EXPECT_TRUE(seen.insert(code).second) << "two keys share " << code;
    }
}

TEST(KeyTranslationTest, EveryFunctionKeyFromF1ToF15HasItsOwnCode) {
    const SDL_Keycode keys[] = {SDLK_F1, SDLK_F2,  SDLK_F3,  SDLK_F4,  SDLK_F5,  SDLK_F6,  SDLK_F7, SDLK_F8,
                                SDLK_F9, SDLK_F10, SDLK_F11, SDLK_F12, SDLK_F13, SDLK_F14, SDLK_F15};
    for (int32_t i = 0; i < 15; ++i)
        EXPECT_EQ(key_code_from_sdl(keys[i]), 155 + i) << "F" << i + 1;
}

TEST(KeyTranslationTest, OtherKeysAreNone) {
    for (SDL_Keycode key : {SDLK_UNKNOWN, SDLK_CAPSLOCK, SDLK_F16, SDLK_MUTE, SDLK_NUMLOCKCLEAR, SDLK_KP_EQUALS,
                            SDLK_APPLICATION, SDLK_SCROLLLOCK, SDLK_PAUSE, SDLK_MODE})
        EXPECT_EQ(key_code_from_sdl(key), kKeyNone) << SDL_GetKeyName(key);
    EXPECT_EQ(key_code_from_sdl(31), kKeyNone);
    EXPECT_EQ(key_code_from_sdl(128), kKeyNone);
    EXPECT_EQ(key_code_from_sdl(-1), kKeyNone);
    EXPECT_EQ(key_code_from_sdl(INT32_MAX), kKeyNone);
    EXPECT_EQ(key_code_from_sdl(0x00e9), kKeyNone) << "a Latin-1 letter is not ASCII";
}

TEST(KeyTranslationTest, MouseButtonsMapToTheirCodesAndOthersAreIgnored) {
    EXPECT_EQ(mouse_button_code_from_sdl(SDL_BUTTON_LEFT), 178);
    EXPECT_EQ(mouse_button_code_from_sdl(SDL_BUTTON_RIGHT), 179);
    EXPECT_EQ(mouse_button_code_from_sdl(SDL_BUTTON_MIDDLE), 180);
    EXPECT_EQ(mouse_button_code_from_sdl(SDL_BUTTON_X1), 181);
    EXPECT_EQ(mouse_button_code_from_sdl(SDL_BUTTON_X2), 182);
    EXPECT_FALSE(mouse_button_code_from_sdl(0).has_value());
    EXPECT_FALSE(mouse_button_code_from_sdl(6).has_value());
    EXPECT_FALSE(mouse_button_code_from_sdl(255).has_value());
}

TEST(GameControllerConstantsTest, ButtonsAreNumberedZeroToTwentyFiveWithTheSlotCount) {
    const std::map<std::string, int32_t> names = constants_by_name(game_controller_constants());
    EXPECT_EQ(names.size(), 27u);
    EXPECT_EQ(names.at("GAME_CONTROLLER_MAX_COUNT"), 4);
    const char* buttons[] = {"NONE",       "A",          "B",           "X",           "Y",
                             "BACK",       "GUIDE",      "START",       "LEFT_STICK",  "RIGHT_STICK",
                             "LEFT_BUMPER", "RIGHT_BUMPER", "DPAD_UP",  "DPAD_DOWN",   "DPAD_LEFT",
                             "DPAD_RIGHT", "LEFT_TRIGGER", "RIGHT_TRIGGER", "LEFT_STICK_UP", "LEFT_STICK_DOWN",
                             "LEFT_STICK_LEFT", "LEFT_STICK_RIGHT", "RIGHT_STICK_UP", "RIGHT_STICK_DOWN",
                             "RIGHT_STICK_LEFT", "RIGHT_STICK_RIGHT"};
    for (int32_t value = 0; value < 26; ++value) {
        const std::string name = std::string("GAME_CONTROLLER_BUTTON_") + buttons[value];
        ASSERT_TRUE(names.contains(name)) << name;
        EXPECT_EQ(names.at(name), value) << name;
    }
    EXPECT_EQ(kControllerButtonCount, 26);
}

}  // namespace
}  // namespace me
