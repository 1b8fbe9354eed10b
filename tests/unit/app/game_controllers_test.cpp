#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/game_controllers.h"
#include "app/game_controllers_deadzone.h"
#include "recording_input_listener.h"
#include "spine_test_environment.h"

namespace me {
namespace {

using Calls = std::vector<std::string>;

constexpr int16_t kFull = 32767;

// The raw axis values of a stick pushed fully at the given angle (degrees,
// y growing downward).
StickDirections at_angle(double degrees, float deadzone = 0.3f) {
    const double radians = degrees * M_PI / 180.0;
    return stick_directions(static_cast<int16_t>(std::lround(std::cos(radians) * kFull)),
                            static_cast<int16_t>(std::lround(std::sin(radians) * kFull)), deadzone);
}

StickDirections directions(bool up, bool down, bool left, bool right) { return {up, down, left, right}; }

TEST(DeadzoneTest, TriggerThresholdIsAClampedPercentageOfTheAxis) {
    EXPECT_EQ(trigger_threshold(30), 9830);
    EXPECT_EQ(trigger_threshold(0), 0);
    EXPECT_EQ(trigger_threshold(100), 32767);
    EXPECT_EQ(trigger_threshold(-5), 0);
    EXPECT_EQ(trigger_threshold(150), 32767);
    EXPECT_EQ(trigger_threshold(INT32_MAX), 32767);
}

TEST(DeadzoneTest, StickDeadzoneIsAClampedFraction) {
    EXPECT_FLOAT_EQ(stick_deadzone(30), 0.3f);
    EXPECT_FLOAT_EQ(stick_deadzone(150), 1.0f);
    EXPECT_FLOAT_EQ(stick_deadzone(-10), 0.0f);
    EXPECT_FLOAT_EQ(stick_deadzone(INT32_MIN), 0.0f);
}

TEST(DeadzoneTest, StraightPushesReportOneDirection) {
    EXPECT_EQ(at_angle(0), directions(false, false, false, true));
    EXPECT_EQ(at_angle(90), directions(false, true, false, false));
    EXPECT_EQ(at_angle(180), directions(false, false, true, false));
    EXPECT_EQ(at_angle(-90), directions(true, false, false, false));
}

TEST(DeadzoneTest, DiagonalsReportTwoDirections) {
    EXPECT_EQ(at_angle(-45), directions(true, false, false, true));
    EXPECT_EQ(at_angle(45), directions(false, true, false, true));
    EXPECT_EQ(at_angle(135), directions(false, true, true, false));
    EXPECT_EQ(at_angle(-135), directions(true, false, true, false));
}

TEST(DeadzoneTest, SectorsEndAtTwentyTwoAndAHalfDegreesFromTheAxes) {
    EXPECT_EQ(at_angle(-21), directions(false, false, false, true));
    EXPECT_EQ(at_angle(-24), directions(true, false, false, true));
    EXPECT_EQ(at_angle(-66), directions(true, false, false, true));
    EXPECT_EQ(at_angle(-69), directions(true, false, false, false));
    EXPECT_EQ(at_angle(111), directions(false, true, false, false));
    EXPECT_EQ(at_angle(114), directions(false, true, true, false));
    EXPECT_EQ(at_angle(159), directions(false, false, true, false));
    EXPECT_EQ(at_angle(156), directions(false, true, true, false));
}

TEST(DeadzoneTest, InsideTheDeadzoneNothingIsReported) {
    EXPECT_EQ(stick_directions(0, 0, 0.3f), StickDirections{});
    EXPECT_EQ(stick_directions(9000, 0, 0.3f), StickDirections{});
    EXPECT_EQ(stick_directions(10000, 0, 0.3f), directions(false, false, false, true));
    EXPECT_EQ(stick_directions(6000, -6000, 0.3f), StickDirections{}) << "length 0.26 is inside";
}

TEST(DeadzoneTest, AFullDeadzoneNeedsMoreThanFullDeflectionOnOneAxis) {
    EXPECT_EQ(stick_directions(kFull, 0, 1.0f), StickDirections{});
    EXPECT_EQ(stick_directions(-32768, 0, 1.0f), directions(false, false, true, false));
    EXPECT_EQ(stick_directions(kFull, kFull, 1.0f), directions(false, true, false, true));
}

TEST(DeadzoneTest, TheMostNegativeAxisValuesAreStillDirections) {
    EXPECT_EQ(stick_directions(-32768, -32768, 0.3f), directions(true, false, true, false));
}

ControllerReading idle_reading() { return {}; }

class GameControllerSlotTest : public ::testing::Test {
protected:
    void apply(const ControllerReading& reading) { slot.apply(reading, {9830, 0.3f}, listener); }

    test::RecordingInputListener listener;
    GameControllerSlot slot{2};
};

TEST_F(GameControllerSlotTest, ButtonsFollowSdlOrderAndCallBackOnlyOnChanges) {
    ControllerReading reading = idle_reading();
    reading.buttons[0] = true;   // A
    reading.buttons[14] = true;  // pad right
    apply(reading);
    apply(reading);
    EXPECT_EQ(listener.calls, (Calls{"button 2 1 1", "button 2 15 1"}));
    EXPECT_TRUE(slot.is_down(1));
    EXPECT_TRUE(slot.was_pressed(15));
    EXPECT_FALSE(slot.is_down(2));
}

TEST_F(GameControllerSlotTest, ReleasingSetsTheReleasedMarkAndCallsBackWithZero) {
    ControllerReading reading = idle_reading();
    reading.buttons[6] = true;  // start
    apply(reading);
    slot.clear_frame_marks();
    apply(idle_reading());
    EXPECT_EQ(listener.calls, (Calls{"button 2 7 1", "button 2 7 0"}));
    EXPECT_FALSE(slot.is_down(7));
    EXPECT_FALSE(slot.was_pressed(7));
    EXPECT_TRUE(slot.was_released(7));
    slot.clear_frame_marks();
    EXPECT_FALSE(slot.was_released(7));
}

TEST_F(GameControllerSlotTest, PressedAndReleasedInOneFrameKeepsBothMarks) {
    ControllerReading reading = idle_reading();
    reading.buttons[1] = true;
    apply(reading);
    apply(idle_reading());
    EXPECT_TRUE(slot.was_pressed(2));
    EXPECT_TRUE(slot.was_released(2));
    EXPECT_FALSE(slot.is_down(2));
}

TEST_F(GameControllerSlotTest, TriggersMustPassTheThreshold) {
    ControllerReading reading = idle_reading();
    reading.left_trigger = 9830;
    reading.right_trigger = 9831;
    apply(reading);
    EXPECT_EQ(listener.calls, (Calls{"button 2 17 1"}));
}

TEST_F(GameControllerSlotTest, SticksBecomeDirectionButtonsLeftThenRight) {
    ControllerReading reading = idle_reading();
    reading.stick_axes = {kFull, -kFull, -kFull, 0};
    apply(reading);
    EXPECT_EQ(listener.calls, (Calls{"button 2 18 1", "button 2 21 1", "button 2 24 1"}));
    listener.calls.clear();
    reading.stick_axes = {kFull, 0, 0, 0};
    apply(reading);
    EXPECT_EQ(listener.calls, (Calls{"button 2 18 0", "button 2 24 0"}));
}

TEST_F(GameControllerSlotTest, ResettingDropsHeldButtonsWithoutCallbacks) {
    ControllerReading reading = idle_reading();
    reading.buttons[0] = true;
    apply(reading);
    listener.calls.clear();
    slot.reset();
    EXPECT_TRUE(listener.calls.empty());
    EXPECT_FALSE(slot.is_down(1));
    EXPECT_FALSE(slot.is_open());
    EXPECT_EQ(slot.device_index(), -1);
    EXPECT_EQ(slot.index(), 2);
}

TEST_F(GameControllerSlotTest, ButtonsOutsideTheTableReadAsUp) {
    for (int32_t button : {-1, 26, INT32_MAX, INT32_MIN}) {
        EXPECT_FALSE(slot.is_down(button));
        EXPECT_FALSE(slot.was_pressed(button));
        EXPECT_FALSE(slot.was_released(button));
    }
}

// Virtual controllers stand in for real ones: SDL gives them a controller
// mapping, and their buttons and axes are set by the test.
class GameControllersTest : public test::SpineTest {
protected:
    void SetUp() override {
        SpineTest::SetUp();
        ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    }

    void TearDown() override {
        controllers.reset();
        SDL_Quit();
        SpineTest::TearDown();
    }

    int attach(SDL_JoystickType type = SDL_JOYSTICK_TYPE_GAMECONTROLLER) {
        const int device = SDL_JoystickAttachVirtual(type, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
        EXPECT_GE(device, 0) << SDL_GetError();
        return device;
    }

    // What the frame's event pump does with the queued device events.
    void pump() {
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0)
            controllers->handle_event(event);
    }

    SDL_Joystick* joystick(int slot) {
        return SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(slot_device(slot)));
    }

    int slot_device(int slot) { return slot_devices.at(static_cast<size_t>(slot)); }

    int attach_and_open() {
        const int device = attach();
        pump();
        slot_devices.push_back(device);
        return device;
    }

    void press(int slot, SDL_GameControllerButton button, bool down) {
        SDL_JoystickSetVirtualButton(joystick(slot), button, down ? 1 : 0);
        SDL_GameControllerUpdate();
    }

    test::RecordingInputListener listener;
    std::unique_ptr<GameControllers> controllers = std::make_unique<GameControllers>(listener);
    std::vector<int> slot_devices;
};

TEST_F(GameControllersTest, AnAddedControllerOpensInTheFirstSlotAndIsLogged) {
    attach_and_open();
    EXPECT_TRUE(controllers->is_connected(0));
    EXPECT_FALSE(controllers->is_connected(1));
    EXPECT_EQ(controllers->controller_name(0), SDL_GameControllerNameForIndex(0));
    EXPECT_FALSE(controllers->controller_name(0).empty());
    EXPECT_NE(log_text().find("Opened game controller: joystick index: 0, name: " +
                              controllers->controller_name(0) + ", guid: "),
              std::string::npos)
        << log_text();
}

TEST_F(GameControllersTest, PollingReportsButtonsThroughTheCallback) {
    attach_and_open();
    press(0, SDL_CONTROLLER_BUTTON_B, true);
    controllers->update();
    EXPECT_TRUE(controllers->is_button_down(0, 2));
    EXPECT_TRUE(controllers->was_button_pressed(0, 2));
    controllers->clear_frame_marks();
    press(0, SDL_CONTROLLER_BUTTON_B, false);
    controllers->update();
    EXPECT_EQ(listener.calls, (Calls{"button 0 2 1", "button 0 2 0"}));
    EXPECT_TRUE(controllers->was_button_released(0, 2));
    EXPECT_FALSE(controllers->was_button_pressed(0, 2));
}

TEST_F(GameControllersTest, TheConfiguredDeadzonesApply) {
    attach_and_open();
    registry.set_int("input::gamepad_triggers_deadzone", 50);
    registry.set_int("input::gamepad_deadzone", 150);
    // A virtual trigger's raw range is spread over the trigger's 0 to 32767.
    SDL_JoystickSetVirtualAxis(joystick(0), SDL_CONTROLLER_AXIS_TRIGGERLEFT, -1000);
    SDL_JoystickSetVirtualAxis(joystick(0), SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 1000);
    SDL_JoystickSetVirtualAxis(joystick(0), SDL_CONTROLLER_AXIS_LEFTX, kFull);
    SDL_GameControllerUpdate();
    SDL_GameController* controller = SDL_GameControllerFromInstanceID(SDL_JoystickInstanceID(joystick(0)));
    ASSERT_LE(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERLEFT), trigger_threshold(50));
    ASSERT_GT(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT), trigger_threshold(50));
    controllers->update();
    EXPECT_EQ(listener.calls, (Calls{"button 0 17 1"}));
}

TEST_F(GameControllersTest, AFifthControllerIsIgnoredWhileFourSlotsAreInUse) {
    for (int i = 0; i < 4; ++i)
        attach_and_open();
    const int fifth = attach();
    pump();
    for (int slot = 0; slot < 4; ++slot)
        EXPECT_TRUE(controllers->is_connected(slot)) << slot;
    EXPECT_FALSE(controllers->open(fifth));
    EXPECT_FALSE(controllers->is_connected(4));
}

TEST_F(GameControllersTest, UnpluggingFreesTheSlotWithoutCallbacks) {
    attach_and_open();
    press(0, SDL_CONTROLLER_BUTTON_A, true);
    controllers->update();
    listener.calls.clear();
    SDL_JoystickDetachVirtual(slot_device(0));
    pump();
    controllers->update();
    EXPECT_FALSE(controllers->is_connected(0));
    EXPECT_FALSE(controllers->is_button_down(0, 1));
    EXPECT_TRUE(listener.calls.empty());
    EXPECT_EQ(controllers->controller_name(0), "");
}

TEST_F(GameControllersTest, AFreedSlotIsReusedByTheNextController) {
    attach_and_open();
    attach_and_open();
    SDL_JoystickDetachVirtual(slot_device(0));
    pump();
    controllers->update();
    const int device = attach();
    pump();
    EXPECT_TRUE(controllers->is_connected(0));
    EXPECT_TRUE(controllers->is_connected(1));
    EXPECT_FALSE(controllers->is_connected(2));
    EXPECT_FALSE(controllers->open(device)) << "already open";
}

TEST_F(GameControllersTest, AControllerIsOpenedOnlyOnce) {
    const int device = attach_and_open();
    EXPECT_FALSE(controllers->open(device));
    EXPECT_FALSE(controllers->is_connected(1));
}

TEST_F(GameControllersTest, DevicesThatAreNotThereOrNotControllersAreRefused) {
    EXPECT_FALSE(controllers->open(-1));
    EXPECT_FALSE(controllers->open(0));
    EXPECT_FALSE(controllers->open(INT32_MAX));
    const int joystick = attach(SDL_JOYSTICK_TYPE_UNKNOWN);
    pump();
    EXPECT_FALSE(controllers->open(joystick));
    controllers->enumerate();
    EXPECT_NE(log_text().find(", game controller: no\n"), std::string::npos) << log_text();
    for (int slot = 0; slot < 4; ++slot)
        EXPECT_FALSE(controllers->is_connected(slot));
}

TEST_F(GameControllersTest, SlotsOutsideTheRangeAreNeverConnected) {
    attach_and_open();
    press(0, SDL_CONTROLLER_BUTTON_A, true);
    controllers->update();
    for (int32_t slot : {-1, 4, INT32_MIN, INT32_MAX}) {
        EXPECT_FALSE(controllers->is_connected(slot));
        EXPECT_EQ(controllers->controller_name(slot), "");
        EXPECT_FALSE(controllers->is_button_down(slot, 1));
        EXPECT_FALSE(controllers->was_button_pressed(slot, 1));
        EXPECT_FALSE(controllers->was_button_released(slot, 1));
    }
}

TEST_F(GameControllersTest, EnumerationListsDevicesWithoutOpeningThem) {
    attach();
    attach();
    controllers->enumerate();
    EXPECT_TRUE(logged("Enumerating joysticks..."));
    EXPECT_TRUE(logged("..found 2 joystick(s)"));
    EXPECT_NE(log_text().find("..joystick index: 1, name: "), std::string::npos);
    EXPECT_NE(log_text().find(", game controller: yes\n"), std::string::npos);
    EXPECT_FALSE(controllers->is_connected(0));
}

}  // namespace
}  // namespace me
