#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "app/key_states.h"
#include "binding_test_vm.h"
#include "core/cvar.h"
#include "core/key_codes.h"
#include "script/script_root.h"

namespace me {
namespace {

class SystemScriptTest : public test::BindingTest {
protected:
    KeyStates keys() { return KeyStates(std::span<uint8_t>(application().key_states)); }

    // The two floats of an array result, joined by a comma.
    std::string pair_of(const std::string& expression) {
        return evaluate_string("local v = " + expression + "; return v.len() + \":\" + v[0] + \",\" + v[1];");
    }
};

TEST_F(SystemScriptTest, RandomIntegersStayWithinTheirBoundsAndEqualBoundsGiveThatValue) {
    EXPECT_TRUE(evaluate_bool("for (local i = 0; i < 500; ++i) { local r = System.get_random_int(-3, 4);"
                              "if (r < -3 || r > 4) return false; } return true;"));
    EXPECT_EQ(evaluate_integer("return System.get_random_int(7, 7);"), 7);
    EXPECT_EQ(evaluate_integer("return System.get_random_int(7.9, 7.2);"), 7);
}

TEST_F(SystemScriptTest, RandomIntegerWithMinAboveMaxIsRefused) {
    EXPECT_EQ(error_of("System.get_random_int(5, 4)"), "Expecting get_random_int( min, max ), min must be < max.");
    EXPECT_EQ(error_of("System.get_random_int(\"1\", 4)"), "Expecting integer.");
    EXPECT_EQ(error_of("System.get_random_int(1)"), "Expecting integer.");
    EXPECT_EQ(error_of("System.get_random_int(1, true)"), "Expecting integer.");
}

TEST_F(SystemScriptTest, RandomFloatsNeedMinBelowMax) {
    EXPECT_TRUE(evaluate_bool("for (local i = 0; i < 500; ++i) { local r = System.get_random_float();"
                              "if (r < 0.0 || r > 1.0) return false; } return true;"));
    EXPECT_TRUE(evaluate_bool("local r = System.get_random_float(2, 3); return r >= 2.0 && r <= 3.0;"));
    EXPECT_EQ(error_of("System.get_random_float(1.5, 1.5)"),
              "Expecting get_random_float( min, max ), min must be < max.");
    EXPECT_EQ(error_of("System.get_random_float(2, 1)"), "Expecting get_random_float( min, max ), min must be < max.");
    EXPECT_EQ(error_of("System.get_random_float(\"a\", 1)"), "Expecting float.");
    EXPECT_EQ(error_of("System.get_random_float(0.5)"), "Expecting float.");
}

TEST_F(SystemScriptTest, ApplicationQueriesReportTheApplicationState) {
    application().screen_width = 640;
    application().screen_height = 480;
    g_script_root->fps_window.fps = 42.5f;
    EXPECT_EQ(pair_of("System.get_screen_size()"), "2:640,480");
    EXPECT_FLOAT_EQ(evaluate_float("return System.get_fps();"), 42.5f);
    EXPECT_FALSE(evaluate_bool("return System.is_application_active();"));
    EXPECT_FALSE(evaluate_bool("return System.is_vibration_available();"));
    EXPECT_EQ(evaluate_string("return \"\" + System.vibrate(1) + System.test() + System.debug_point(2);"),
              "nullnullnull");
    EXPECT_EQ(evaluate_string("return typeof System.get_system_milliseconds();"), "integer");
    EXPECT_EQ(evaluate_string("return typeof System.get_system_profile_time();"), "integer");
}

// The status becomes the process's exit status; a bad one is refused before
// anything is asked.
TEST_F(SystemScriptTest, RequestQuitTakesAnExitStatusFromZeroTo255) {
    struct QuitCase {
        const char* call;
        const char* error;  // "no error" when accepted
        int status;         // the status afterwards
    };
    const QuitCase cases[] = {
        {"System.request_quit(300)", "request_quit: exit status 300 is outside 0..255", -1},
        {"System.request_quit(-1)", "request_quit: exit status -1 is outside 0..255", -1},
        {"System.request_quit(\"3\")", "request_quit: the exit status must be an integer", -1},
        {"System.request_quit(3.0)", "request_quit: the exit status must be an integer", -1},
        {"System.request_quit(3)", "no error", 3},
        {"System.request_quit(255)", "no error", 255},
        {"System.request_quit()", "no error", 0},
    };
    for (const QuitCase& test : cases) {
        application().quit_requested = false;
        application().exit_status = -1;
        EXPECT_EQ(error_of(test.call), test.error) << test.call;
        EXPECT_EQ(application().quit_requested, test.status >= 0) << test.call;
        EXPECT_EQ(application().exit_status, test.status) << test.call;
    }
}

TEST_F(SystemScriptTest, SleepReturnsAtOnceButChecksItsArgument) {
    EXPECT_EQ(error_of("System.sleep(5)"), "no error");
    EXPECT_EQ(error_of("System.sleep(0.5)"), "no error");
    EXPECT_EQ(error_of("System.sleep(\"5\")"), "Expecting float.");
    EXPECT_EQ(error_of("System.sleep()"), "Expecting float.");
}

TEST_F(SystemScriptTest, RegisterCvarTypesTheVariableByItsDefault) {
    evaluate("System.register_cvar(\"game::lives\", 3); System.register_cvar(\"game::speed\", 1.5);"
             "System.register_cvar(\"game::name\", \"hero\");");
    ASSERT_NE(registry.find("game::lives"), nullptr);
    EXPECT_EQ(registry.find("game::lives")->type(), CVarType::Int);
    EXPECT_EQ(registry.find("game::speed")->type(), CVarType::Float);
    EXPECT_EQ(registry.find("game::name")->type(), CVarType::String);
    EXPECT_EQ(evaluate_integer("return System.get_cvar_integer(\"game::lives\");"), 3);
    EXPECT_FLOAT_EQ(evaluate_float("return System.get_cvar_float(\"game::speed\");"), 1.5f);
    EXPECT_EQ(evaluate_string("return System.get_cvar(\"game::name\");"), "hero");
}

TEST_F(SystemScriptTest, RegisterCvarTwiceOrWithABadDefaultLogsAndChangesNothing) {
    evaluate("System.register_cvar(\"game::lives\", 3); System.register_cvar(\"game::lives\", \"many\");");
    EXPECT_TRUE(logged("error: CVar 'game::lives' already registered!"));
    EXPECT_EQ(evaluate_integer("return System.get_cvar_integer(\"game::lives\");"), 3);
    evaluate("System.register_cvar(\"game::list\", [1]); System.register_cvar(\"game::flag\", true);");
    EXPECT_TRUE(logged("error: Invalid type passed to register_cvar()."));
    EXPECT_EQ(registry.find("game::list"), nullptr);
    EXPECT_EQ(registry.find("game::flag"), nullptr);
    EXPECT_EQ(error_of("System.register_cvar(3, 3)"), "Expecting string.");
}

TEST_F(SystemScriptTest, SetCvarAndTheGettersOfMissingVariables) {
    evaluate("System.set_cvar(\"game::a\", 12); System.set_cvar(\"game::b\", 0.25);"
             "System.set_cvar(\"game::c\", \"text\");");
    EXPECT_EQ(evaluate_integer("return System.get_cvar_integer(\"game::a\");"), 12);
    EXPECT_FLOAT_EQ(evaluate_float("return System.get_cvar_float(\"game::b\");"), 0.25f);
    EXPECT_EQ(evaluate_string("return System.get_cvar(\"game::c\");"), "text");
    evaluate("System.set_cvar(\"game::a\", null);");
    EXPECT_TRUE(logged("error: Invalid type passed to set_cvar()."));
    EXPECT_EQ(evaluate_integer("return System.get_cvar_integer(\"game::a\");"), 12);
    EXPECT_EQ(evaluate_integer("return System.get_cvar_integer(\"no::such\");"), 0);
    EXPECT_FLOAT_EQ(evaluate_float("return System.get_cvar_float(\"no::such\");"), 0.0f);
    EXPECT_EQ(evaluate_string("return System.get_cvar(\"no::such\");"), "");
    EXPECT_EQ(error_of("System.get_cvar(1)"), "Expecting string.");
    EXPECT_EQ(error_of("System.get_cvar_integer()"), "Expecting string.");
    EXPECT_EQ(error_of("System.set_cvar(null, 1)"), "Expecting string.");
}

TEST_F(SystemScriptTest, UrlEncodingKeepsLettersAndDigitsAndEncodesEveryOtherByteWithTwoDigits) {
    EXPECT_EQ(evaluate_string("return System.encode_for_url(\"a b/z\");"), "a%20b%2fz");
    EXPECT_EQ(evaluate_string("return System.encode_for_url(\"AZaz09\");"), "AZaz09");
    EXPECT_EQ(evaluate_string("return System.encode_for_url(\"\\n.~\");"), "%0a%2e%7e");
    EXPECT_EQ(evaluate_string("return System.encode_for_url(\"\\u00e9\");"), "%c3%a9");
    EXPECT_EQ(evaluate_string("return System.encode_for_url(\"\");"), "");
    EXPECT_EQ(error_of("System.encode_for_url(5)"), "Expecting string.");
}

TEST_F(SystemScriptTest, TextColorsTakeAnIndexAndAColor) {
    evaluate("System.set_text_color(3, [255, 0, 51, 255]); System.set_text_color(9, 0, 255, 0, 0);");
    EXPECT_FLOAT_EQ(application().text_colors[3].red, 1.0f);
    EXPECT_FLOAT_EQ(application().text_colors[3].blue, 0.2f);
    EXPECT_FLOAT_EQ(application().text_colors[9].green, 1.0f);
    EXPECT_FLOAT_EQ(application().text_colors[9].alpha, 0.0f);
    EXPECT_EQ(error_of("System.set_text_color(10, [1, 1, 1, 1])"), "Invalid text color index 10.");
    EXPECT_EQ(error_of("System.set_text_color(-1, [1, 1, 1, 1])"), "Invalid text color index -1.");
    EXPECT_EQ(error_of("System.set_text_color(0, [1, 1, 1])"), "Vector array doesn't have right size.");
    EXPECT_EQ(error_of("System.set_text_color(0, [1, 1, 1, \"x\"])"), "Vector array element is not numeric.");
    EXPECT_EQ(error_of("System.set_text_color(0, 1, 1)"), "Expecting numeric.");
    EXPECT_EQ(error_of("System.set_text_color(\"0\", [1, 1, 1, 1])"), "Expecting integer.");
}

TEST_F(SystemScriptTest, LogFunctionsConcatenateTheirArguments) {
    evaluate("System.message(1, \" \", 2.5); System.warning(\"low \", true); System.error(null, \"!\");");
    EXPECT_TRUE(logged("1 2.5"));
    EXPECT_TRUE(logged("warning: low true"));
    EXPECT_TRUE(logged("error: null!"));
    EXPECT_EQ(evaluate_string("return System.format(\"x=\", 3, \", y=\", 0.5);"), "x=3, y=0.5");
    EXPECT_EQ(evaluate_string("return System.format();"), "");
}

TEST_F(SystemScriptTest, StringsConvertToNumbers) {
    EXPECT_EQ(evaluate_integer("return System.string_to_integer(\"42abc\");"), 42);
    EXPECT_EQ(evaluate_integer("return System.string_to_integer(\" -7\");"), -7);
    EXPECT_EQ(evaluate_integer("return System.string_to_integer(\"x\");"), 0);
    // Beyond the script integer's range the result saturates instead of wrapping.
    const SQInteger largest = std::numeric_limits<SQInteger>::max();
    const SQInteger smallest = std::numeric_limits<SQInteger>::min();
    EXPECT_EQ(evaluate_integer("return System.string_to_integer(\"99999999999999999999999\");"), largest);
    EXPECT_EQ(evaluate_integer("return System.string_to_integer(\"-99999999999999999999999\");"), smallest);
    EXPECT_EQ(evaluate_integer("return System.string_to_integer(\"" + std::to_string(largest) + "\");"), largest);
    if (sizeof(SQInteger) == 4) {
        EXPECT_EQ(evaluate_integer("return System.string_to_integer(\"99999999999\");"), largest);
    }
    EXPECT_FLOAT_EQ(evaluate_float("return System.string_to_float(\"2.5e1\");"), 25.0f);
    EXPECT_FLOAT_EQ(evaluate_float("return System.string_to_float(\"nothing\");"), 0.0f);
    EXPECT_EQ(error_of("System.string_to_integer(4)"), "Expecting string.");
    EXPECT_EQ(error_of("System.string_to_float(null)"), "Expecting string.");
}

TEST_F(SystemScriptTest, RotationUnitsConvert) {
    EXPECT_FLOAT_EQ(evaluate_float("return System.degrees_to_rotation(90);"), 0.25f);
    EXPECT_FLOAT_EQ(evaluate_float("return System.radians_to_rotation(3.14159265);"), 0.5f);
    EXPECT_FLOAT_EQ(evaluate_float("return System.rotation_to_radians(0.5);"), 3.14159275f);
    EXPECT_FLOAT_EQ(evaluate_float("return System.rotation_to_degrees(0.75);"), 270.0f);
    EXPECT_NEAR(evaluate_float("return System.radians_to_degrees(1.0);"), 57.29578f, 1e-4f);
    EXPECT_NEAR(evaluate_float("return System.degrees_to_radians(180);"), 3.1415927f, 1e-6f);
    EXPECT_FLOAT_EQ(evaluate_float("return System.normalize_rotation(-0.25);"), 0.75f);
    EXPECT_FLOAT_EQ(evaluate_float("return System.normalize_rotation(2.0);"), 0.0f);
    EXPECT_EQ(error_of("System.normalize_rotation(\"1\")"), "Expecting float.");
}

TEST_F(SystemScriptTest, KeyQueriesReadTheKeyStatesAndIgnoreCodesOutsideTheTable) {
    keys().press(kKeyA);
    keys().press(kKeyEsc);
    keys().release(kKeyEsc);
    EXPECT_TRUE(evaluate_bool("return System.is_key_down(KEY_A);"));
    EXPECT_FALSE(evaluate_bool("return System.is_key_down(::KEY_ESC);"));
    EXPECT_TRUE(evaluate_bool("return System.was_key_down(KEY_ESC);"));
    EXPECT_TRUE(evaluate_bool("return System.was_key_pressed(KEY_ESC) && System.was_key_released(KEY_ESC);"));
    EXPECT_FALSE(evaluate_bool("return System.was_key_released(KEY_A);"));
    EXPECT_FALSE(evaluate_bool("return System.is_key_down(-1) || System.is_key_down(213);"));
    EXPECT_TRUE(evaluate_bool("return System.is_key_down(97.5);"));
    EXPECT_EQ(error_of("System.is_key_down(\"a\")"), "Expecting integer.");
}

TEST_F(SystemScriptTest, KeyAndControllerConstantsAreInBothTables) {
    EXPECT_EQ(evaluate_integer("return KEY_ESC;"), kKeyEsc);
    EXPECT_EQ(evaluate_integer("return ::KEY_ESC;"), kKeyEsc);
    EXPECT_EQ(evaluate_integer("return ::MOUSE_LEFT + KEY_LAST;"), kMouseLeft + kKeyLast);
    EXPECT_EQ(evaluate_integer("return ::GAME_CONTROLLER_BUTTON_A - GAME_CONTROLLER_BUTTON_A;"), 0);
}

TEST_F(SystemScriptTest, MouseAndTouchPositions) {
    application().mouse_xf = 10.5f;
    application().mouse_yf = 20.0f;
    application().mouse_dx = -1.0f;
    application().mouse_dy = 2.0f;
    application().touch_positions[3] = {7.0f, 8.0f};
    EXPECT_EQ(pair_of("System.get_mouse_position()"), "2:10.5,20");
    EXPECT_EQ(pair_of("System.get_mouse_delta()"), "2:-1,2");
    EXPECT_EQ(pair_of("System.get_touch_position(3)"), "2:7,8");
    EXPECT_EQ(pair_of("System.get_touch_position(4)"), "2:0,0");
    EXPECT_EQ(pair_of("System.get_touch_position(-1)"), "2:0,0");
    EXPECT_EQ(pair_of("System.get_joystick_direction()"), "2:0,0");
    EXPECT_EQ(error_of("System.get_touch_position(null)"), "Expecting integer.");
    evaluate("System.iphone_override_mouse_position([3, 4]);");
    EXPECT_FLOAT_EQ(application().mouse_xf, 3.0f);
    EXPECT_FLOAT_EQ(application().mouse_yf, 4.0f);
    EXPECT_EQ(error_of("System.iphone_override_mouse_position(1)"), "Expecting numeric.");
}

TEST_F(SystemScriptTest, ControllerQueriesWithoutControllers) {
    EXPECT_FALSE(evaluate_bool("return System.game_controller_is_controller_connected(0);"));
    EXPECT_EQ(evaluate_string("return System.game_controller_get_controller_name(0);"), "");
    EXPECT_FALSE(evaluate_bool("return System.game_controller_is_button_down(0, 1);"));
    EXPECT_EQ(error_of("System.game_controller_was_button_pressed(0, \"a\")"), "Expecting integer.");
    EXPECT_EQ(error_of("System.game_controller_get_controller_name([])"), "Expecting integer.");
}

TEST_F(SystemScriptTest, VideoAndPlatformFunctionsWithoutAWindow) {
    EXPECT_EQ(evaluate_integer("return System.enumerate_display_mode_resolutions().len();"), 0);
    EXPECT_EQ(error_of("System.change_video_mode()"), "no error");
    EXPECT_EQ(evaluate_string("return System.get_clipboard_text();"), "");
    EXPECT_EQ(error_of("System.open_url(3)"), "Expecting string.");
}

using SystemScriptDeathTest = SystemScriptTest;

TEST_F(SystemScriptDeathTest, FatalErrorEndsTheProcessWithItsText) {
    EXPECT_EXIT(evaluate("System.fatal_error(\"broken \", 7);"), ::testing::ExitedWithCode(1), "broken 7");
}

}  // namespace
}  // namespace me
