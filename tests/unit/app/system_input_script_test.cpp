#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "app/game_controllers.h"
#include "binding_test_vm.h"

namespace me {
namespace {

constexpr int16_t kFullDeflection = 32767;

// A virtual SDL controller behind the engine's controller component, with a
// root that traces handle_game_controller_button into ::trace.
class SystemControllerScriptTest : public test::BindingTest {
protected:
    void SetUp() override {
        BindingTest::SetUp();
        ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
        g_game_controllers = controllers.get();
        g_script_root->root = evaluate(R"(
            ::trace <- "";
            return {
                handle_game_controller_button = function(slot, button, state) {
                    ::trace += slot + ":" + button + "=" + state + ";";
                }
            };
        )");
        m_device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                             SDL_CONTROLLER_BUTTON_MAX, 0);
        ASSERT_GE(m_device, 0) << SDL_GetError();
        pump_device_events();
        ASSERT_TRUE(controllers->is_connected(0)) << log_text();
        m_joystick = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(m_device));
    }

    void TearDown() override {
        g_script_root->root.reset();
        controllers.reset();
        SDL_Quit();
        BindingTest::TearDown();
    }

    void pump_device_events() {
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0)
            controllers->handle_event(event);
    }

    // One frame's controller poll, with the frame marks of the last one gone.
    void poll() {
        SDL_GameControllerUpdate();
        controllers->clear_frame_marks();
        controllers->update();
    }

    void set_button(SDL_GameControllerButton button, bool down) {
        SDL_JoystickSetVirtualButton(m_joystick, button, down ? 1 : 0);
    }

    void set_axis(SDL_GameControllerAxis axis, int16_t value) { SDL_JoystickSetVirtualAxis(m_joystick, axis, value); }

    std::string trace() { return evaluate_string("return ::trace;"); }

    std::unique_ptr<GameControllers> controllers = std::make_unique<GameControllers>();

private:
    int m_device = -1;
    SDL_Joystick* m_joystick = nullptr;
};

TEST_F(SystemControllerScriptTest, ButtonsReachTheRootAndTheQueries) {
    EXPECT_TRUE(evaluate_bool("return System.game_controller_is_controller_connected(0);"));
    EXPECT_FALSE(evaluate_bool("return System.game_controller_is_controller_connected(1);"));
    EXPECT_EQ(evaluate_string("return System.game_controller_get_controller_name(0);"), controllers->controller_name(0));
    set_button(SDL_CONTROLLER_BUTTON_A, true);
    poll();
    EXPECT_EQ(trace(), "0:1=1;");
    EXPECT_TRUE(evaluate_bool("return System.game_controller_is_button_down(0, GAME_CONTROLLER_BUTTON_A);"));
    EXPECT_TRUE(evaluate_bool("return System.game_controller_was_button_pressed(0, GAME_CONTROLLER_BUTTON_A);"));
    set_button(SDL_CONTROLLER_BUTTON_A, false);
    poll();
    EXPECT_EQ(trace(), "0:1=1;0:1=0;");
    EXPECT_FALSE(evaluate_bool("return System.game_controller_is_button_down(0, GAME_CONTROLLER_BUTTON_A);"));
    EXPECT_FALSE(evaluate_bool("return System.game_controller_was_button_pressed(0, GAME_CONTROLLER_BUTTON_A);"));
    EXPECT_TRUE(evaluate_bool("return System.game_controller_was_button_released(0, GAME_CONTROLLER_BUTTON_A);"));
}

TEST_F(SystemControllerScriptTest, AStickPushedUpAndRightPressesBothDirections) {
    set_axis(SDL_CONTROLLER_AXIS_LEFTX, kFullDeflection);
    set_axis(SDL_CONTROLLER_AXIS_LEFTY, -kFullDeflection);
    poll();
    EXPECT_EQ(trace(), "0:18=1;0:21=1;");
    EXPECT_TRUE(evaluate_bool("return System.game_controller_is_button_down(0, GAME_CONTROLLER_BUTTON_LEFT_STICK_UP)"
                              " && System.game_controller_is_button_down(0, GAME_CONTROLLER_BUTTON_LEFT_STICK_RIGHT);"));
    set_axis(SDL_CONTROLLER_AXIS_LEFTY, 0);
    poll();
    EXPECT_EQ(trace(), "0:18=1;0:21=1;0:18=0;") << "straight right keeps only right";
    set_axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    set_axis(SDL_CONTROLLER_AXIS_RIGHTY, kFullDeflection);
    poll();
    EXPECT_EQ(trace(), "0:18=1;0:21=1;0:18=0;0:21=0;0:23=1;");
}

TEST_F(SystemControllerScriptTest, SlotsAndButtonsOutsideTheirRangesAreFalseOrEmpty) {
    set_button(SDL_CONTROLLER_BUTTON_A, true);
    poll();
    for (const char* slot : {"-1", "4", "2147483647", "-2147483648"}) {
        const std::string s(slot);
        EXPECT_FALSE(evaluate_bool("return System.game_controller_is_controller_connected(" + s + ");")) << s;
        EXPECT_EQ(evaluate_string("return System.game_controller_get_controller_name(" + s + ");"), "") << s;
        EXPECT_FALSE(evaluate_bool("return System.game_controller_is_button_down(" + s + ", 1);")) << s;
    }
    for (const char* button : {"-1", "26", "2147483647"}) {
        const std::string b(button);
        EXPECT_FALSE(evaluate_bool("return System.game_controller_is_button_down(0, " + b + ");")) << b;
        EXPECT_FALSE(evaluate_bool("return System.game_controller_was_button_pressed(0, " + b + ");")) << b;
        EXPECT_FALSE(evaluate_bool("return System.game_controller_was_button_released(0, " + b + ");")) << b;
    }
    EXPECT_EQ(error_of("System.game_controller_was_button_released(0)"), "Expecting integer.");
    EXPECT_EQ(error_of("System.game_controller_is_button_down(true, 1)"), "Expecting integer.");
    EXPECT_EQ(error_of("System.game_controller_is_controller_connected(\"0\")"), "Expecting integer.");
}

}  // namespace
}  // namespace me
