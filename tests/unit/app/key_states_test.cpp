#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "app/key_states.h"
#include "core/application.h"
#include "core/key_codes.h"

namespace me {
namespace {

class KeyStatesTest : public ::testing::Test {
protected:
    std::vector<uint8_t> bytes = std::vector<uint8_t>(kKeyCount, 0);
    KeyStates keys{bytes};
};

TEST_F(KeyStatesTest, PressSetsHeldAndPressed) {
    keys.press(kKeyEsc);
    EXPECT_EQ(bytes[kKeyEsc], KeyStates::kDown | KeyStates::kPressed);
    EXPECT_TRUE(keys.is_down(kKeyEsc));
    EXPECT_TRUE(keys.was_pressed(kKeyEsc));
    EXPECT_TRUE(keys.was_down(kKeyEsc));
    EXPECT_FALSE(keys.was_released(kKeyEsc));
    EXPECT_FALSE(keys.is_down(kKeySpace));
}

TEST_F(KeyStatesTest, ReleaseClearsHeldAndSetsReleased) {
    keys.press(kKeyA);
    keys.release(kKeyA);
    EXPECT_EQ(bytes[kKeyA], KeyStates::kPressed | KeyStates::kReleased);
    EXPECT_FALSE(keys.is_down(kKeyA));
    EXPECT_TRUE(keys.was_pressed(kKeyA));
    EXPECT_TRUE(keys.was_released(kKeyA));
    EXPECT_TRUE(keys.was_down(kKeyA)) << "a key that went down and up this frame still was down";
}

TEST_F(KeyStatesTest, ReleasingAnIdleKeyOnlyMarksItReleased) {
    keys.release(kMouseLeft);
    EXPECT_EQ(bytes[kMouseLeft], KeyStates::kReleased);
    EXPECT_TRUE(keys.was_down(kMouseLeft));
}

TEST_F(KeyStatesTest, TheFirstAndLastCodesAreTracked) {
    keys.press(kKeyNone);
    keys.press(kKeyLast);
    EXPECT_TRUE(keys.is_down(0));
    EXPECT_TRUE(keys.is_down(212));
}

TEST_F(KeyStatesTest, CodesOutsideTheTableAreNeverWrittenAndReadAsUp) {
    const std::vector<uint8_t> before = bytes;
    for (int32_t code : {-1, 213, 1000, INT_MIN, INT_MAX}) {
        keys.press(code);
        keys.release(code);
        EXPECT_FALSE(keys.is_down(code)) << code;
        EXPECT_FALSE(keys.was_down(code)) << code;
        EXPECT_FALSE(keys.was_pressed(code)) << code;
        EXPECT_FALSE(keys.was_released(code)) << code;
    }
    EXPECT_EQ(bytes, before);
}

TEST_F(KeyStatesTest, AnEmptyTableReadsEveryKeyAsUp) {
    KeyStates none{std::span<uint8_t>()};
    none.press(0);
    EXPECT_FALSE(none.is_down(0));
}

TEST(ApplicationKeyStatesTest, PresentingKeepsHeldKeysButForgetsTheFrameEdges) {
    Application app;
    KeyStates keys(app.key_states);
    keys.press(kKeyLeft);
    keys.press(kKeyRight);
    keys.release(kKeyRight);
    app.clear_frame_input();
    EXPECT_TRUE(keys.is_down(kKeyLeft));
    EXPECT_FALSE(keys.was_pressed(kKeyLeft));
    EXPECT_FALSE(keys.was_down(kKeyRight));
}

TEST(ApplicationKeyStatesTest, LosingFocusReleasesExactlyTheHeldKeysInCodeOrder) {
    Application app;
    KeyStates keys(app.key_states);
    for (int32_t code : {kMouseRight, kKeyZ, kKeyNone, kKeyLast})
        keys.press(code);
    keys.press(kKeySpace);
    keys.release(kKeySpace);
    app.clear_frame_input();
    const std::vector<int> released = app.release_held_keys();
    EXPECT_EQ(released, (std::vector<int>{kKeyNone, kKeyZ, kMouseRight, kKeyLast}));
    for (int code : released) {
        EXPECT_FALSE(keys.is_down(code)) << code;
        EXPECT_TRUE(keys.was_released(code)) << code;
    }
    EXPECT_FALSE(keys.was_released(kKeySpace)) << "a key already up is not released again";
    EXPECT_TRUE(app.release_held_keys().empty());
}

}  // namespace
}  // namespace me
