#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "scene/scene_playback.h"
#include "scene/scene_tweens.h"

namespace me {
namespace {

TEST(SceneTweensTest, RotateToTakesTheShortWayRound) {
    RotateTween tween;
    EXPECT_NEAR(tween.begin_to(0.0f, 350.0f, 90.0f), -10.0f, 1e-3f);
    EXPECT_NEAR(tween.duration, 1.0f / 9.0f, 1e-5f);
    float rotation = 0.0f;
    EXPECT_FALSE(tween.step(1.0f / 18.0f, rotation));
    EXPECT_NEAR(rotation, 1.0f - 5.0f / 360.0f, 1e-5f);
    EXPECT_TRUE(tween.step(1.0f / 18.0f + 1e-4f, rotation));
    EXPECT_NEAR(std::fmod(rotation, 1.0f), 350.0f / 360.0f, 1e-5f);
    EXPECT_EQ(tween.mode, RotateTween::None);
}

TEST(SceneTweensTest, ContinuousRotationWrapsIntoOneTurn) {
    RotateTween tween;
    tween.begin_continuous(720.0f);
    float rotation = 0.75f;
    EXPECT_FALSE(tween.step(0.25f, rotation));
    EXPECT_NEAR(rotation, 0.25f, 1e-5f);
}

TEST(SceneTweensTest, FadeWithZeroDurationEndsOnTheNextStep) {
    FadeTween fade;
    fade.begin(1.0f, 0.0f, 0.0f);
    float alpha = 1.0f;
    EXPECT_TRUE(fade.step(0.001f, alpha));
    EXPECT_EQ(alpha, 0.0f);
    EXPECT_FALSE(fade.step(0.001f, alpha)) << "an ended fade is idle";
}

TEST(SceneTweensTest, FadeRunsLinearlyToItsTarget) {
    FadeTween fade;
    fade.begin(1.0f, 0.0f, 2.0f);
    float alpha = 1.0f;
    EXPECT_FALSE(fade.step(0.5f, alpha));
    EXPECT_NEAR(alpha, 0.75f, 1e-6f);
    EXPECT_TRUE(fade.step(1.5f, alpha));
    EXPECT_EQ(alpha, 0.0f);
}

TEST(SceneTweensTest, LinearMoveArrivesAfterDistanceOverSpeed) {
    MoveTween move;
    move.begin_linear({0, 0}, {30, 40}, 10.0f);
    EXPECT_FLOAT_EQ(move.duration, 5.0f);
    Vec2 position;
    EXPECT_FALSE(move.step(2.5f, position));
    EXPECT_NEAR(position.x, 15.0f, 1e-4f);
    EXPECT_NEAR(position.y, 20.0f, 1e-4f);
    EXPECT_TRUE(move.step(2.5f, position));
    EXPECT_EQ(position, (Vec2{30, 40}));
}

// Zero speed, zero duration and zero phases would divide by zero; each ends
// on the next step at the target instead, with finite positions.
TEST(SceneTweensTest, DegenerateMovesEndAtTheTargetOnTheNextStep) {
    struct Case {
        const char* name;
        bool eased;
        float speed_or_duration, acceleration, deceleration;
    };
    const std::vector<Case> cases{{"speed 0", false, 0.0f, 0, 0},
                                  {"all zero", true, 0.0f, 0.0f, 0.0f},
                                  {"no acceleration", true, 2.0f, 0.0f, 1.0f},
                                  {"no deceleration", true, 2.0f, 1.0f, 0.0f}};
    for (const Case& c : cases) {
        MoveTween move;
        if (c.eased)
            move.begin_eased({1, 2}, {5, 6}, c.speed_or_duration, c.acceleration, c.deceleration);
        else
            move.begin_linear({1, 2}, {5, 6}, c.speed_or_duration);
        Vec2 position{1, 2};
        EXPECT_TRUE(move.step(0.0f, position)) << c.name;
        EXPECT_EQ(position, (Vec2{5, 6})) << c.name;
    }
}

TEST(SceneTweensTest, EasedMoveCoversTheWholeDistanceSmoothly) {
    MoveTween move;
    move.begin_eased({0, 0}, {100, 0}, 4.0f, 1.0f, 1.0f);
    Vec2 position;
    float previous = 0.0f;
    for (int i = 1; i < 40; ++i) {
        ASSERT_FALSE(move.step(0.1f, position)) << i;
        EXPECT_GT(position.x, previous) << i;
        previous = position.x;
    }
    // Trapezoid with 1 s ramps over 4 s: the ramp covers 1/6 of the way.
    move = MoveTween{};
    move.begin_eased({0, 0}, {60, 0}, 4.0f, 1.0f, 1.0f);
    move.step(1.0f, position);
    EXPECT_NEAR(position.x, 10.0f, 1e-3f);
    move.step(2.0f, position);
    EXPECT_NEAR(position.x, 50.0f, 1e-3f);
    EXPECT_TRUE(move.step(1.0f, position));
    EXPECT_EQ(position.x, 60.0f);
}

TEST(SceneTweensTest, EasedMoveStretchesTooShortADurationToItsPhases) {
    MoveTween move;
    move.begin_eased({0, 0}, {10, 0}, 1.0f, 1.0f, 2.0f);
    EXPECT_FLOAT_EQ(move.duration, 3.0f);
}

// A timeline of fixed frame durations.
class FakeTimeline : public PlaybackTimeline {
public:
    FakeTimeline(std::vector<float> durations, bool loops, bool animated = true)
        : m_durations(std::move(durations)), m_loops(loops), m_animated(animated) {}
    bool animated() const override { return m_animated; }
    int frame_count() const override { return static_cast<int>(m_durations.size()); }
    float enter_frame(int index, Xorshift128&) const override {
        return m_animated ? m_durations[static_cast<size_t>(index)] : duration();
    }
    float duration() const override {
        float sum = 0;
        for (float d : m_durations)
            sum += d;
        return sum;
    }
    float duration_range() const override { return 0.0f; }
    bool loops() const override { return m_loops; }

private:
    std::vector<float> m_durations;
    bool m_loops;
    bool m_animated;
};

TEST(ScenePlaybackTest, ForwardPlaybackStopsAtTheLastFrameAndEnds) {
    const FakeTimeline timeline({0.1f, 0.1f, 0.1f}, false);
    Xorshift128 random;
    SpritePlayback playback;
    playback.play(timeline, false, random);
    EXPECT_TRUE(playback.playing());
    EXPECT_FALSE(playback.advance(timeline, 0.15f, random));
    EXPECT_EQ(playback.frame(), 1);
    EXPECT_FALSE(playback.advance(timeline, 0.1f, random));
    EXPECT_EQ(playback.frame(), 2);
    EXPECT_TRUE(playback.advance(timeline, 0.1f, random));
    EXPECT_FALSE(playback.playing());
    EXPECT_EQ(playback.frame(), 2);
    EXPECT_FALSE(playback.advance(timeline, 0.1f, random)) << "a stopped playback ends only once";
}

TEST(ScenePlaybackTest, BackwardLoopingWrapsToTheLastFrame) {
    const FakeTimeline timeline({0.1f, 0.2f, 0.3f}, true);
    Xorshift128 random;
    SpritePlayback playback;
    playback.play(timeline, true, random);
    EXPECT_EQ(playback.frame(), 2);
    playback.advance(timeline, 0.35f, random);
    EXPECT_EQ(playback.frame(), 1);
    playback.advance(timeline, 0.2f, random);
    EXPECT_EQ(playback.frame(), 0);
    EXPECT_FALSE(playback.advance(timeline, 0.1f, random));
    EXPECT_EQ(playback.frame(), 2);
    EXPECT_TRUE(playback.playing());
}

TEST(ScenePlaybackTest, SpeedScalesTheAdvance) {
    const FakeTimeline timeline({1.0f, 1.0f}, false);
    Xorshift128 random;
    SpritePlayback playback;
    playback.set_speed(4.0f);
    playback.play(timeline, false, random);
    playback.advance(timeline, 0.3f, random);
    EXPECT_EQ(playback.frame(), 1);
}

TEST(ScenePlaybackTest, ScriptLoopingOverridesTheSprite) {
    const FakeTimeline timeline({0.1f}, true);
    Xorshift128 random;
    SpritePlayback playback;
    playback.set_looping(false);
    playback.play(timeline, false, random);
    EXPECT_EQ(playback.flags() & SpritePlayback::kLooping, 0u);
    EXPECT_TRUE(playback.advance(timeline, 0.2f, random));
}

TEST(ScenePlaybackTest, SeekingPastTheEndEndsOrWraps) {
    const FakeTimeline once({0.1f, 0.1f, 0.1f}, false);
    Xorshift128 random;
    SpritePlayback playback;
    playback.play(once, false, random);
    EXPECT_TRUE(playback.seek(once, 5.0f, random));
    EXPECT_EQ(playback.frame(), 2);
    EXPECT_FALSE(playback.playing());

    const FakeTimeline looping({0.1f, 0.1f, 0.1f}, true);
    playback.play(looping, false, random);
    EXPECT_FALSE(playback.seek(looping, 3.0f + 0.15f, random));
    EXPECT_EQ(playback.frame(), 1);
}

TEST(ScenePlaybackTest, LoopingWithoutDurationTimesTheWholeSpriteAndNeverSpins) {
    const FakeTimeline timeline({0.0f, 0.0f}, true);
    Xorshift128 random;
    SpritePlayback playback;
    playback.play(timeline, false, random);
    EXPECT_NE(playback.flags() & SpritePlayback::kWholeSpriteTiming, 0u);
    EXPECT_FALSE(playback.advance(timeline, 1.0f, random));
    EXPECT_TRUE(playback.playing());
}

TEST(ScenePlaybackTest, StaticSpriteRunsItsDurationOnce) {
    const FakeTimeline timeline({0.5f}, false, false);
    Xorshift128 random;
    SpritePlayback playback;
    playback.play(timeline, false, random);
    EXPECT_FALSE(playback.advance(timeline, 0.4f, random));
    EXPECT_TRUE(playback.advance(timeline, 0.2f, random));
}

TEST(ScenePlaybackTest, RandomStartLandsWithinTheAnimation) {
    const FakeTimeline timeline({0.1f, 0.1f, 0.1f, 0.1f}, true);
    Xorshift128 random;
    std::vector<int> seen(4, 0);
    for (int i = 0; i < 200; ++i) {
        SpritePlayback playback;
        playback.play_random(timeline, false, random);
        ASSERT_TRUE(playback.playing());
        ++seen[static_cast<size_t>(playback.frame())];
    }
    for (int count : seen)
        EXPECT_GT(count, 10);
}

}  // namespace
}  // namespace me
