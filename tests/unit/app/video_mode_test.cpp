#include <gtest/gtest.h>

#include "app/video_mode.h"
#include "core/builtin_cvars.h"
#include "spine_test_environment.h"

namespace me {
namespace {

VideoModeRequest request(int32_t width, int32_t height, WindowMode mode) { return {width, height, mode}; }

VideoModeRequest parse(std::string_view video_mode, int32_t window_mode = 0, std::string_view windowed = "",
                       std::string_view fullscreen = "") {
    return parse_video_mode_request({video_mode, window_mode, windowed, fullscreen});
}

TEST(VideoModeRequestTest, ThreeNumbersInVideoModeDecideEverything) {
    EXPECT_EQ(parse("1280 720 1", 2, "640 480", "800 600"), request(1280, 720, WindowMode::Fullscreen));
    EXPECT_EQ(parse("1920 1080 2"), request(1920, 1080, WindowMode::FullscreenDesktop));
    EXPECT_EQ(parse("800 600 0", 1, "", "1024 768"), request(800, 600, WindowMode::Windowed));
}

TEST(VideoModeRequestTest, AVideoModeModeOtherThanOneOrTwoIsWindowed) {
    EXPECT_EQ(parse("800 600 3").mode, WindowMode::Windowed);
    EXPECT_EQ(parse("800 600 -1").mode, WindowMode::Windowed);
    EXPECT_EQ(parse("800 600 full").mode, WindowMode::Windowed);
}

TEST(VideoModeRequestTest, AVideoModeWithoutExactlyThreePartsIsIgnored) {
    EXPECT_EQ(parse("1280 720", 0, "640 480"), request(640, 480, WindowMode::Windowed));
    EXPECT_EQ(parse("1280 720 1 5", 0, "640 480"), request(640, 480, WindowMode::Windowed));
    EXPECT_EQ(parse("   ", 1, "", "1024 768"), request(1024, 768, WindowMode::Fullscreen));
}

TEST(VideoModeRequestTest, BlanksOfAnyLengthSeparateTheParts) {
    EXPECT_EQ(parse("  1280\t 720   1 "), request(1280, 720, WindowMode::Fullscreen));
    EXPECT_EQ(parse("", 0, "\t640  480\t"), request(640, 480, WindowMode::Windowed));
}

TEST(VideoModeRequestTest, WindowModePicksItsOwnResolutionVariable) {
    EXPECT_EQ(parse("", 0, "640 480", "1024 768"), request(640, 480, WindowMode::Windowed));
    EXPECT_EQ(parse("", 1, "640 480", "1024 768"), request(1024, 768, WindowMode::Fullscreen));
}

TEST(VideoModeRequestTest, FullscreenDesktopIgnoresBothResolutions) {
    EXPECT_EQ(parse("", 2, "640 480", "1024 768"), request(0, 0, WindowMode::FullscreenDesktop));
}

TEST(VideoModeRequestTest, UnknownWindowModesAreWindowed) {
    EXPECT_EQ(parse("", 7, "640 480", "1024 768"), request(640, 480, WindowMode::Windowed));
    EXPECT_EQ(parse("", -2, "640 480"), request(640, 480, WindowMode::Windowed));
}

TEST(VideoModeRequestTest, AResolutionWithoutExactlyTwoPartsAsksForTheDesktop) {
    const VideoModeRequest one = parse("", 0, "640");
    EXPECT_EQ(one, request(0, 0, WindowMode::Windowed));
    EXPECT_FALSE(one.has_resolution());
    EXPECT_FALSE(parse("", 0, "640 480 32").has_resolution());
    EXPECT_FALSE(parse("", 1, "").has_resolution());
}

TEST(VideoModeRequestTest, NumbersThatAreNotNumbersOrDoNotFitReadAsZero) {
    EXPECT_EQ(parse("wide 720 1"), request(0, 720, WindowMode::Fullscreen));
    EXPECT_EQ(parse("99999999999999999999 720 1"), request(0, 720, WindowMode::Fullscreen));
    EXPECT_EQ(parse("", 0, "+640 480"), request(0, 480, WindowMode::Windowed));
    EXPECT_EQ(parse("", 0, "640px 480"), request(640, 480, WindowMode::Windowed));
    EXPECT_FALSE(parse("wide 720 1").has_resolution());
}

TEST(VideoModeRequestTest, NegativeSizesAskForTheDesktopAndHugeOnesAreCut) {
    EXPECT_FALSE(parse("-800 600 0").has_resolution());
    EXPECT_FALSE(parse("800 0 0").has_resolution());
    EXPECT_EQ(parse("100000 2147483647 0"), request(16384, 16384, WindowMode::Windowed));
    EXPECT_TRUE(parse("1 1 0").has_resolution());
}

TEST(WindowModeTest, OnlyOneAndTwoAreFullscreen) {
    EXPECT_EQ(window_mode_from_number(0), WindowMode::Windowed);
    EXPECT_EQ(window_mode_from_number(1), WindowMode::Fullscreen);
    EXPECT_EQ(window_mode_from_number(2), WindowMode::FullscreenDesktop);
    EXPECT_EQ(window_mode_from_number(3), WindowMode::Windowed);
    EXPECT_EQ(window_mode_from_number(INT32_MIN), WindowMode::Windowed);
}

class ConfiguredVideoModeTest : public test::SpineTest {};

TEST_F(ConfiguredVideoModeTest, DefaultsAskForAWindowAtTheDesktopResolution) {
    EXPECT_EQ(take_requested_video_mode(), request(0, 0, WindowMode::Windowed));
}

TEST_F(ConfiguredVideoModeTest, ReadsTheRegistryAndClearsTheChangedMarksOfAllFour) {
    registry.set_text("system::video_mode", "1280 720 1");
    registry.set_int("system::window_mode", 2);
    registry.set_text("system::windowed_resolution", "640 480");
    registry.set_text("system::fullscreen_resolution", "800 600");
    EXPECT_EQ(take_requested_video_mode(), request(1280, 720, WindowMode::Fullscreen));
    for (const char* name : {"system::video_mode", "system::window_mode", "system::windowed_resolution",
                             "system::fullscreen_resolution"})
        EXPECT_FALSE(registry.find(name)->has(CVar::Changed)) << name;
}

TEST_F(ConfiguredVideoModeTest, WindowModeFromTheRegistryPicksTheFullscreenResolution) {
    registry.set_int("system::window_mode", 1);
    registry.set_text("system::fullscreen_resolution", "1024 768");
    EXPECT_EQ(take_requested_video_mode(), request(1024, 768, WindowMode::Fullscreen));
}

TEST_F(ConfiguredVideoModeTest, AnyOfTheFourMarksCountsAsAChangeAndAllAreCleared) {
    EXPECT_FALSE(take_video_mode_changes());
    for (const char* name : {"system::video_mode", "system::window_mode", "system::windowed_resolution",
                             "system::fullscreen_resolution"}) {
        registry.set_text("system::video_mode", "1 1 1");
        registry.set_text(name, "2");
        EXPECT_TRUE(take_video_mode_changes()) << name;
        EXPECT_FALSE(take_video_mode_changes()) << name;
    }
}

}  // namespace
}  // namespace me
