#include <gtest/gtest.h>

#include <string>

#include "real_input_test.h"

namespace me {
namespace {

// A root that writes every input callback into ::trace, and in update() what
// the System queries say about the watched codes (KEY_ESC, KEY_A, KEY_B and
// the mouse codes, in ascending order).
constexpr const char* kTracingRoot = R"(
    ::trace <- "";
    ::watched <- [KEY_ESC, KEY_A, KEY_B, MOUSE_LEFT, MOUSE_RIGHT, MOUSE_WHEEL_UP];
    ::held <- [];
    ::mouse <- [-1, -1];
    ::active <- false;
    return {
        key_down = function(code) { ::trace += "down " + code + ";"; }
        key_up = function(code) { ::trace += "up " + code + ";"; }
        update = function(dt) {
            ::held = [];
            foreach (code in ::watched) {
                if (System.was_key_pressed(code)) ::trace += "pressed " + code + ";";
                if (System.was_key_released(code)) ::trace += "released " + code + ";";
                if (System.is_key_down(code)) ::held.push(code);
            }
            ::mouse = System.get_mouse_position();
            ::active = System.is_application_active();
        }
    };
)";

class RealInputTest : public test::RealInputFixture {
protected:
    std::string root_script() const override { return kTracingRoot; }

    std::string held() { return evaluate_string("local s = \"\"; foreach (c in ::held) s += c + \";\"; return s;"); }
    std::string mouse() { return evaluate_string("return ::mouse[0] + \",\" + ::mouse[1];"); }
};

TEST_F(RealInputTest, AKeyPressAndReleaseReachTheCallbacksAndTheQueries) {
    key(XK_a, true);
    ASSERT_TRUE(run_frames_until_traced("down 97;")) << trace();
    EXPECT_EQ(held(), "97;");
    key(XK_a, false);
    ASSERT_TRUE(run_frames_until_traced("up 97;")) << trace();
    EXPECT_EQ(trace(), "down 97;pressed 97;up 97;released 97;");
    EXPECT_EQ(held(), "");
}

TEST_F(RealInputTest, EscapeArrivesAsItsEngineCode) {
    key(XK_Escape, true);
    key(XK_Escape, false);
    ASSERT_TRUE(run_frames_until_traced("up 27;")) << trace();
    EXPECT_NE(trace().find("down 27;"), std::string::npos) << trace();
    EXPECT_EQ(held(), "");
}

TEST_F(RealInputTest, MouseMotionAndButtonsReachTheCallbacksAndTheQueries) {
    move_pointer(100, 50);
    ASSERT_TRUE(run_frames_until([this] { return mouse() == "100,50"; })) << mouse();
    button(Button1, true);
    ASSERT_TRUE(run_frames_until_traced("down 178;")) << trace();
    EXPECT_EQ(held(), "178;");
    button(Button1, false);
    move_pointer(200, 120);
    button(Button3, true);
    button(Button3, false);
    ASSERT_TRUE(run_frames_until_traced("up 179;")) << trace();
    EXPECT_EQ(mouse(), "200,120");
    EXPECT_EQ(trace().find("down 178;pressed 178;up 178;"), 0u) << trace();
    EXPECT_NE(trace().find("down 179;"), std::string::npos) << trace();
    EXPECT_EQ(held(), "");
}

TEST_F(RealInputTest, AWheelStepIsPressedAndReleasedButNeverHeld) {
    move_pointer(10, 10);
    button(Button4, true);
    button(Button4, false);
    ASSERT_TRUE(run_frames_until_traced("pressed 183;")) << trace();
    EXPECT_EQ(trace(), "down 183;up 183;pressed 183;released 183;");
    EXPECT_EQ(held(), "");
}

TEST_F(RealInputTest, LosingTheFocusReleasesHeldKeysInAscendingCodeOrder) {
    // Pressed in the opposite order to their codes (A is 97, Esc 27).
    key(XK_a, true);
    ASSERT_TRUE(run_frames_until_traced("down 97;")) << trace();
    key(XK_Escape, true);
    ASSERT_TRUE(run_frames_until_traced("down 27;")) << trace();
    ASSERT_EQ(held(), "27;97;");
    focus(open_other_window());
    ASSERT_TRUE(run_frames_until_traced("up 97;")) << trace();
    EXPECT_EQ(trace(), "down 97;pressed 97;down 27;pressed 27;up 27;up 97;released 27;released 97;");
    EXPECT_FALSE(evaluate_bool("return ::active;"));
    EXPECT_EQ(held(), "");
    key(XK_Escape, false);
    key(XK_a, false);
}

}  // namespace
}  // namespace me
