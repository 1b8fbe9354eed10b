#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clip_test_fixture.h"

namespace me {
namespace {

struct ScenePlayCase {
    const char* play;
    bool played;
    std::vector<const char*> updates;
    const char* fired;
    int64_t time;
    bool at_end;
};

// Updates of 1/64 s are 1562.5 ticks: the half tick is carried to the next
// update. Commands run with the scene object as this (its tag is "s").
const ScenePlayCase kScenePlays[] = {
    {"play_clip(\"steps\")", true, {"0.0078125"}, "s0 s1", 781, false},
    {"play_clip(\"steps\", false)", true, {"0.02"}, "s0 s1 s2", 1001, true},
    {"play_clip(\"steps\", true)", true, {"0.015625"}, "s0 s1 s2 s0 s1", 561, false},
    {"play_clip(\"steps\", true)", true, {"0.015625", "0.015625"}, "s0 s1 s2 s0 s1 s2 s0 s1 s2 s0", 122, false},
    {"play_clip_to(\"steps\", 7)", true, {"0.015625"}, "s0 s1", 700, true},
    {"play_clip_to(\"steps\", 7)", true, {"0.00390625", "0.00390625", "0.00390625"}, "s0 s1", 700, true},
    {"play_clip_to(\"steps\", 99)", true, {"1.0"}, "s0 s1 s2", 1001, true},
};

class ClipSceneTest : public test::ClipTest {
protected:
    void SetUp() override {
        ClipTest::SetUp();
        evaluate(R"(
            class Tagged extends SceneObject { tag = "s"; }
            ::scene <- Scene();
            ::shown <- Tagged();
            shown.set_scene(::scene);
            return null;)");
    }

    void TearDown() override {
        evaluate("::shown <- null; ::scene <- null; return null;");
        ClipTest::TearDown();
    }
};

TEST_F(ClipSceneTest, SceneUpdatesPlayTheClipInClipTicks) {
    for (const ScenePlayCase& c : kScenePlays) {
        EXPECT_EQ(evaluate_bool(std::string("return ::shown.") + c.play), c.played) << c.play;
        EXPECT_FALSE(evaluate_bool("return ::shown.is_clip_at_end()")) << c.play;
        for (const char* dt : c.updates)
            evaluate(std::string("::scene.update(") + dt + "); return null;");
        EXPECT_EQ(evaluate_string("return fired_text()"), c.fired) << c.play;
        EXPECT_EQ(evaluate_integer("return ::shown.get_clip().get_clip_time()"), c.time) << c.play;
        EXPECT_EQ(evaluate_bool("return ::shown.is_clip_at_end()"), c.at_end) << c.play;
    }
}

TEST_F(ClipSceneTest, WithoutAClipNothingPlaysAndTheClipCountsAsEnded) {
    EXPECT_TRUE(evaluate_bool("return ::shown.is_clip_at_end() && ::shown.get_clip() == null"));
    EXPECT_TRUE(evaluate_bool("return ::shown.play_clip(\"steps\") && ::shown.get_clip() instanceof Clip"));
    EXPECT_FALSE(evaluate_bool("return ::shown.play_clip(\"no_such_clip\")"));
    EXPECT_TRUE(evaluate_bool("return ::shown.is_clip_at_end() && ::shown.get_clip() == null"));
    evaluate("::shown.play_clip(\"steps\"); ::shown.set_sprite(\"spark\"); ::scene.update(0.02); return null;");
    EXPECT_TRUE(evaluate_bool("return ::shown.get_clip() == null"));
    EXPECT_EQ(evaluate_string("return fired_text()"), "");
    EXPECT_EQ(error_of("::shown.play_clip(3)"), "Expecting string.");
    EXPECT_EQ(error_of("::shown.play_clip_to(\"steps\")"), "Expecting integer.");
}

}  // namespace
}  // namespace me
