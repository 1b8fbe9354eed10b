#include <gtest/gtest.h>

#include <climits>

#include "app/game_controllers.h"
#include "app/input_events.h"
#include "app/key_states.h"
#include "core/key_codes.h"
#include "recording_input_listener.h"

namespace me {
namespace {

using Calls = std::vector<std::string>;

SDL_Event key_event(uint32_t type, SDL_Keycode key, uint8_t repeat = 0) {
    SDL_Event event{};
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat;
    event.key.keysym.sym = key;
    return event;
}

SDL_Event motion_event(int32_t x, int32_t y) {
    SDL_Event event{};
    event.motion.type = SDL_MOUSEMOTION;
    event.motion.x = x;
    event.motion.y = y;
    return event;
}

SDL_Event button_event(uint32_t type, uint8_t button, int32_t x, int32_t y) {
    SDL_Event event{};
    event.button.type = type;
    event.button.button = button;
    event.button.x = x;
    event.button.y = y;
    return event;
}

SDL_Event wheel_event(int32_t amount, uint32_t direction = SDL_MOUSEWHEEL_NORMAL) {
    SDL_Event event{};
    event.wheel.type = SDL_MOUSEWHEEL;
    event.wheel.y = amount;
    event.wheel.direction = direction;
    return event;
}

SDL_Event window_event(uint8_t what, int32_t data1 = 0, int32_t data2 = 0) {
    SDL_Event event{};
    event.window.type = SDL_WINDOWEVENT;
    event.window.event = what;
    event.window.data1 = data1;
    event.window.data2 = data2;
    return event;
}

class InputEventsTest : public ::testing::Test {
protected:
    bool handle(const SDL_Event& event) { return events.handle(event); }

    Application app;
    test::RecordingInputListener listener;
    InputEvents events{app, listener};
    KeyStates keys{app.key_states};
};

TEST_F(InputEventsTest, HoldingAKeyGivesOneKeyDownAndRepeatsAreIgnored) {
    EXPECT_TRUE(handle(key_event(SDL_KEYDOWN, SDLK_ESCAPE)));
    EXPECT_TRUE(handle(key_event(SDL_KEYDOWN, SDLK_ESCAPE, 1)));
    EXPECT_TRUE(handle(key_event(SDL_KEYDOWN, SDLK_ESCAPE, 1)));
    EXPECT_EQ(listener.calls, (Calls{"key_down 27"}));
    EXPECT_TRUE(keys.is_down(kKeyEsc));
    EXPECT_TRUE(keys.was_pressed(kKeyEsc));
}

TEST_F(InputEventsTest, ReleasingGivesOneKeyUp) {
    handle(key_event(SDL_KEYDOWN, SDLK_a));
    app.clear_frame_input();
    handle(key_event(SDL_KEYUP, SDLK_a));
    EXPECT_EQ(listener.calls, (Calls{"key_down 97", "key_up 97"}));
    EXPECT_FALSE(keys.is_down(kKeyA));
    EXPECT_FALSE(keys.was_pressed(kKeyA));
    EXPECT_TRUE(keys.was_released(kKeyA));
}

TEST_F(InputEventsTest, AKeyPressedAndReleasedInOneFrameWasPressedAndReleasedButIsNotDown) {
    handle(key_event(SDL_KEYDOWN, SDLK_SPACE));
    handle(key_event(SDL_KEYUP, SDLK_SPACE));
    EXPECT_TRUE(keys.was_pressed(kKeySpace));
    EXPECT_TRUE(keys.was_released(kKeySpace));
    EXPECT_FALSE(keys.is_down(kKeySpace));
}

TEST_F(InputEventsTest, KeysWithoutACodeAreTrackedAsKeyNone) {
    handle(key_event(SDL_KEYDOWN, SDLK_CAPSLOCK));
    EXPECT_EQ(listener.calls, (Calls{"key_down 0"}));
    EXPECT_TRUE(keys.is_down(kKeyNone));
}

TEST_F(InputEventsTest, NamedKeysArriveAsTheirEngineCodes) {
    handle(key_event(SDL_KEYDOWN, SDLK_LSHIFT));
    handle(key_event(SDL_KEYDOWN, SDLK_KP_ENTER));
    handle(key_event(SDL_KEYUP, SDLK_DELETE));
    EXPECT_EQ(listener.calls, (Calls{"key_down 171", "key_down 143", "key_up 149"}));
}

TEST_F(InputEventsTest, MouseMotionMovesThePointerAndAddsUpTheFrameMovement) {
    handle(motion_event(10, 20));
    handle(motion_event(15, 12));
    EXPECT_EQ(app.mouse_x, 15);
    EXPECT_EQ(app.mouse_y, 12);
    EXPECT_FLOAT_EQ(app.mouse_xf, 15.0f);
    EXPECT_FLOAT_EQ(app.mouse_yf, 12.0f);
    EXPECT_FLOAT_EQ(app.mouse_dx, 15.0f);
    EXPECT_FLOAT_EQ(app.mouse_dy, 12.0f);
    EXPECT_FLOAT_EQ(app.touch_positions[0][0], 15.0f);
    EXPECT_FLOAT_EQ(app.touch_positions[0][1], 12.0f);
    EXPECT_FLOAT_EQ(app.touch_positions[1][0], 0.0f) << "only touch point 0 follows the mouse";
    EXPECT_TRUE(listener.calls.empty());
}

TEST_F(InputEventsTest, MovementBetweenTheExtremesOfThePositionIsStillAddedUp) {
    handle(motion_event(INT_MIN, INT_MAX));
    handle(motion_event(INT_MAX, INT_MIN));
    EXPECT_FLOAT_EQ(app.mouse_dx, static_cast<float>(INT_MAX));
    EXPECT_FLOAT_EQ(app.mouse_dy, static_cast<float>(INT_MIN));
    EXPECT_EQ(app.mouse_x, INT_MAX);
}

TEST_F(InputEventsTest, PresentingZeroesTheMovementButKeepsThePosition) {
    handle(motion_event(100, 50));
    app.clear_frame_input();
    handle(motion_event(90, 55));
    EXPECT_FLOAT_EQ(app.mouse_dx, -10.0f);
    EXPECT_FLOAT_EQ(app.mouse_dy, 5.0f);
}

TEST_F(InputEventsTest, MouseButtonsMoveThePointerThenPressTheirCodes) {
    handle(button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 30, 40));
    handle(button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 30, 40));
    handle(button_event(SDL_MOUSEBUTTONUP, SDL_BUTTON_X2, 31, 40));
    handle(button_event(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 32, 41));
    EXPECT_EQ(listener.calls, (Calls{"key_down 178", "key_down 181", "key_up 182", "key_up 178"}));
    EXPECT_EQ(app.mouse_x, 32);
    EXPECT_EQ(app.mouse_y, 41);
    EXPECT_FLOAT_EQ(app.mouse_dx, 32.0f);
    EXPECT_TRUE(keys.is_down(kMouseButton4));
    EXPECT_FALSE(keys.is_down(kMouseLeft));
}

TEST_F(InputEventsTest, UntrackedMouseButtonsOnlyMoveThePointer) {
    handle(button_event(SDL_MOUSEBUTTONDOWN, 7, 5, 6));
    EXPECT_TRUE(listener.calls.empty());
    EXPECT_EQ(app.mouse_x, 5);
    EXPECT_FALSE(keys.was_down(kKeyNone));
}

TEST_F(InputEventsTest, AWheelStepIsPressedAndReleasedWithinTheEvent) {
    handle(wheel_event(1));
    handle(wheel_event(-3));
    EXPECT_EQ(listener.calls, (Calls{"key_down 183", "key_up 183", "key_down 184", "key_up 184"}));
    EXPECT_TRUE(keys.was_pressed(kMouseWheelUp));
    EXPECT_TRUE(keys.was_released(kMouseWheelUp));
    EXPECT_FALSE(keys.is_down(kMouseWheelUp));
    EXPECT_TRUE(keys.was_pressed(kMouseWheelDown));
}

TEST_F(InputEventsTest, AWheelWithoutVerticalMovementDoesNothing) {
    SDL_Event sideways = wheel_event(0);
    sideways.wheel.x = 4;
    handle(sideways);
    EXPECT_TRUE(listener.calls.empty());
    EXPECT_FALSE(keys.was_down(kMouseWheelUp));
    EXPECT_FALSE(keys.was_down(kMouseWheelDown));
}

TEST_F(InputEventsTest, AFlippedWheelTurnsTheOtherWayEvenAtTheExtremes) {
    handle(wheel_event(2, SDL_MOUSEWHEEL_FLIPPED));
    handle(wheel_event(INT_MIN, SDL_MOUSEWHEEL_FLIPPED));
    handle(wheel_event(INT_MIN));
    EXPECT_EQ(listener.calls,
              (Calls{"key_down 184", "key_up 184", "key_down 183", "key_up 183", "key_down 184", "key_up 184"}));
}

TEST_F(InputEventsTest, OnlySizeChangesOfTheWindowAreReported) {
    EXPECT_TRUE(handle(window_event(SDL_WINDOWEVENT_SIZE_CHANGED, 800, 600)));
    EXPECT_TRUE(handle(window_event(SDL_WINDOWEVENT_FOCUS_LOST)));
    EXPECT_TRUE(handle(window_event(SDL_WINDOWEVENT_MOVED, 3, 4)));
    EXPECT_EQ(listener.calls, (Calls{"resized 800x600"}));
}

TEST_F(InputEventsTest, OtherEventsAreLeftAlone) {
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    EXPECT_FALSE(handle(event));
    event.type = SDL_USEREVENT;
    EXPECT_FALSE(handle(event));
    EXPECT_TRUE(listener.calls.empty());
}

// The frame's event pump hands every event to the input component; events
// pushed onto SDL's queue arrive as they would from a window.
class QueuedInputEventsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError(); }
    void TearDown() override { SDL_Quit(); }

    void push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }

    // What the frame does with the queued events.
    void drain() {
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0)
            dispatch_input_event(event, listener);
    }

    Application app;
    test::RecordingInputListener listener;
};

TEST_F(QueuedInputEventsTest, QueuedEventsReachTheApplicationInOrder) {
    push(key_event(SDL_KEYDOWN, SDLK_UP));
    push(motion_event(7, 8));
    push(button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 9, 9));
    push(key_event(SDL_KEYDOWN, SDLK_UP, 1));
    push(key_event(SDL_KEYUP, SDLK_UP));
    drain();
    EXPECT_EQ(listener.calls, (Calls{"key_down 144", "key_down 179", "key_up 144"}));
    KeyStates keys(app.key_states);
    EXPECT_TRUE(keys.is_down(kMouseRight));
    EXPECT_TRUE(keys.was_released(kKeyUp));
    EXPECT_EQ(app.mouse_x, 9);
}

TEST_F(QueuedInputEventsTest, WithoutAnApplicationEventsAreDropped) {
    Application* saved = g_application;
    g_application = nullptr;
    push(key_event(SDL_KEYDOWN, SDLK_UP));
    drain();
    g_application = saved;
    EXPECT_TRUE(listener.calls.empty());
}

}  // namespace
}  // namespace me
