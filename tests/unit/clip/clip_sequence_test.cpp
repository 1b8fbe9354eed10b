#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clip/clip_channel_controllers.h"
#include "clip_test_fixture.h"
#include "resources/sprite.h"

namespace me {
namespace {

struct Step {
    const char* call;
    const char* fired;
    int64_t time;
    bool at_end;
};

struct SequenceCase {
    const char* name;
    bool looping;
    std::vector<Step> steps;
};

// "steps" fires command k on leaving key k (keys at 0, 500, 1000); the end
// tick is 1001, so a looping clip's period is 1001 ticks.
const SequenceCase kSequences[] = {
    {"once",
     false,
     {{"advance_in_time(500)", "h0", 500, false},
      {"advance_in_time(500)", "h1", 1000, false},
      {"advance_in_time(1)", "h2", 1001, true},
      {"advance_in_time(300)", "", 1001, true}}},
    {"past the end at once", false, {{"advance_in_time(5000)", "h0 h1 h2", 1001, true}}},
    {"tick by tick", false, {{"advance_in_time(1)", "h0", 1, false}}},
    {"looping one tick past the period", true, {{"advance_in_time(1002)", "h0 h1 h2 h0", 1, false}}},
    {"looping two and a half periods", true, {{"advance_in_time(2500)", "h0 h1 h2 h0 h1 h2 h0", 498, false}}},
    {"looping by a game tick", true, {{"advance_in_time(1666)", "h0 h1 h2 h0 h1", 665, false}}},
    {"jump onto a key", false, {{"jump_to_time(500)", "", 500, false}, {"advance_in_time(1)", "h1", 501, false}}},
    {"jump between keys",
     false,
     {{"jump_to_time(499)", "", 499, false},
      {"advance_in_time(1)", "", 500, false},
      {"advance_in_time(1)", "h1", 501, false}}},
    {"jump past the end", false, {{"jump_to_time(99999)", "", 1001, true}, {"advance_in_time(1)", "", 1001, true}}},
    {"jump before the start", true, {{"jump_to_time(-5)", "", 0, false}, {"advance_in_time(1)", "h0", 1, false}}},
    {"nothing and less", false, {{"advance_in_time(0)", "", 0, false}, {"advance_in_time(-20)", "", 0, false}}},
};

class ClipSequenceTest : public test::ClipTest {};

TEST_F(ClipSequenceTest, CommandsFireOncePerCrossedKeyInOrder) {
    for (const SequenceCase& c : kSequences) {
        make_steps_clip();
        evaluate(std::string("::clip.set_looping(") + (c.looping ? "true" : "false") + "); return null;");
        for (const Step& step : c.steps) {
            evaluate(std::string("::clip.") + step.call + "; return null;");
            EXPECT_EQ(evaluate_string("return fired_text()"), step.fired) << c.name << ": " << step.call;
            EXPECT_EQ(evaluate_integer("return ::clip.get_clip_time()"), step.time) << c.name << ": " << step.call;
            EXPECT_EQ(evaluate_bool("return ::clip.is_at_end()"), step.at_end) << c.name << ": " << step.call;
        }
    }
}

TEST_F(ClipSequenceTest, AdvancingOneTickAtATimeFiresEachKeyOnce) {
    make_steps_clip();
    evaluate("for (local i = 0; i < 1200; i += 1) ::clip.advance_in_time(1); return null;");
    EXPECT_EQ(evaluate_string("return fired_text()"), "h0 h1 h2");
    evaluate("::clip.set_looping(true); ::clip.jump_to_time(0); "
             "for (local i = 0; i < 2002; i += 1) ::clip.advance_in_time(1); return null;");
    EXPECT_EQ(evaluate_string("return fired_text()"), "h0 h1 h2 h0 h1 h2");
}

struct NodeCase {
    int64_t time;
    float x;
    const char* sprite;
};

// The body node as the controllers leave it: x from channel 0, y the
// constant 7, alpha the constant 0.25, the sprite by the Int channel.
const NodeCase kNodeCases[] = {
    {0, 0.0f, "spark"}, {250, 50.0f, "spark"}, {500, 100.0f, "flash"}, {999, 50.1f, "flash"}, {1000, 50.0f, ""},
};

TEST_F(ClipSequenceTest, ControllersWriteTheValuesIntoTheirNode) {
    for (const NodeCase& c : kNodeCases) {
        clip::Clip& played = make_steps_clip();
        played.jump_to_time(c.time);
        clip::ClipObject* body = played.find_object_by_name("body");
        ASSERT_NE(body, nullptr);
        EXPECT_NEAR(body->position().x, c.x, 1e-3f) << c.time;
        EXPECT_EQ(body->position().y, 7.0f) << c.time;
        EXPECT_EQ(body->color().alpha, 0.25f) << c.time;
        EXPECT_EQ(body->sprite() != nullptr ? body->sprite()->get_name() : "", c.sprite) << c.time;
    }
}

TEST_F(ClipSequenceTest, AFixedPositionChannelIsReadAsFixedAndRemembered) {
    evaluate(R"(
        ::clip <- Clip();
        ::clip.init(::steps);
        ::node <- ClipObject();
        ::clip.add_child(::node);
        ::fixed_mover <- ClipTransformChannelController(::clip, ::node, 3, -1, -1);
        ::float_mover <- ClipTransformChannelController(::clip, ::node, 0, -1, -1);
        ::clip.add_controller(::fixed_mover);
        return null;)");
    EXPECT_TRUE(evaluate_bool("return ::fixed_mover.has_fixed_position()"));
    EXPECT_FALSE(evaluate_bool("return ::float_mover.has_fixed_position()"));
    evaluate("::clip.advance_in_time(250); ::clip.advance_in_time(250); return null;");
    EXPECT_EQ(evaluate_float("return ::node.get_position()[0]"), 10.0f);
    auto* mover = native_of<clip::ClipTransformChannelController>(evaluate("return ::fixed_mover"));
    EXPECT_EQ(mover->fixed_positions()[0][0], 327680);
    EXPECT_EQ(mover->fixed_positions()[1][0], 655360);
    // Channel 4 holds the command index, and then the alpha constant.
    EXPECT_EQ(mover->fixed_positions()[1][1], 1);
    evaluate("::node <- null; ::fixed_mover <- null; ::float_mover <- null; return null;");
}

TEST_F(ClipSequenceTest, AControllerWhoseNodeIsGoneIsDroppedAtTheNextUpdate) {
    clip::Clip& played = make_steps_clip();
    evaluate(R"(
        ::spare <- ClipObject();
        ::clip.add_controller(ClipZOrderChannelController(::clip, ::spare, 2));
        return null;)");
    EXPECT_EQ(played.controller_count(), 5u);
    played.advance_in_time(500);
    EXPECT_EQ(evaluate_integer("return ::spare.get_z_order()"), 1);
    evaluate("::spare <- null; return null;");
    EXPECT_EQ(played.controller_count(), 5u);
    played.advance_in_time(1);
    EXPECT_EQ(played.controller_count(), 4u);
    // The base class accepts nothing.
    evaluate("::clip.add_controller(ClipController()); return null;");
    EXPECT_EQ(played.controller_count(), 4u);
}

struct ControllerErrorCase {
    const char* call;
    const char* error;
};

// "steps" has six channels: a transform's position needs two, a colour's
// three.
const ControllerErrorCase kControllerErrors[] = {
    {"ClipTransformChannelController(::clip, ::clip, 5, -1, -1)", "Channel index is outside the clip's channels."},
    {"ClipTransformChannelController(::clip, ::clip, -1, 6, -1)", "Channel index is outside the clip's channels."},
    {"ClipTransformChannelController(::clip, ::clip, -1, -1, -2)", "Channel index is outside the clip's channels."},
    {"ClipColorChannelController(::clip, ::clip, 4, -1)", "Channel index is outside the clip's channels."},
    {"ClipSpriteChannelController(::clip, ::clip, 6)", "Channel index is outside the clip's channels."},
    {"ClipZOrderChannelController(::clip, ::clip, 1.5)", "no error"},
    {"ClipCommandsChannelController(::clip, ::clip, \"4\")", "Expecting integer."},
    {"ClipCommandsChannelController(ClipObject(), ::clip, 4)", "Expecting Clip"},
    {"ClipCommandsChannelController(::clip, 3, 4)", "Expecting ClipObject"},
    {"::clip.add_controller(::clip)", "Expecting ClipController"},
    {"::small.add_controller(ClipSpriteChannelController(::clip, ::clip, 5))",
     "The controller reads channels that the clip's resource does not have."},
};

TEST_F(ClipSequenceTest, ChannelIndicesOutsideTheClipAreRefused) {
    clip::Clip& played = make_steps_clip();
    evaluate("::small <- Clip(); return null;");
    for (const ControllerErrorCase& c : kControllerErrors)
        EXPECT_EQ(error_of(c.call), c.error) << c.call;
    EXPECT_EQ(played.controller_count(), 4u);
    EXPECT_EQ(native_of<clip::Clip>(evaluate("return ::small"))->controller_count(), 0u);
    evaluate("::small <- null; return null;");
}

TEST_F(ClipSequenceTest, ASkinReplacesSpritesByIndexUntilItIsReset) {
    clip::Clip& played = make_steps_clip();
    clip::ClipObject* body = played.find_object_by_name("body");
    evaluate("::clip.apply_skin([\"flash\", null], true); return null;");
    EXPECT_EQ(body->sprite()->get_name(), "flash");
    EXPECT_EQ(evaluate_string("local n = ::clip.get_sprite_names(); return n[0] + \" \" + n[1]"), "flash flash");
    evaluate("::clip.advance_in_time(500); return null;");
    EXPECT_EQ(body->sprite()->get_name(), "flash");
    evaluate("::clip.apply_skin([null, \"spark\"]); return null;");
    EXPECT_EQ(body->sprite()->get_name(), "flash");
    evaluate("::clip.refresh_controllers(); return null;");
    EXPECT_EQ(body->sprite()->get_name(), "spark");
    evaluate("::clip.reset_skin(true); return null;");
    EXPECT_EQ(body->sprite()->get_name(), "flash");
    EXPECT_EQ(evaluate_string("local n = ::clip.get_sprite_names(); return n[0] + \" \" + n[1]"), "spark flash");
    // More names than sprites: the extra one is ignored, with a warning.
    evaluate("::clip.apply_skin([\"flash\", \"flash\", \"spark\"], true); return null;");
    EXPECT_EQ(evaluate_integer("return ::clip.get_sprite_names().len()"), 2);
    EXPECT_NE(log_text().find("Clip skin has 3 names for 2 sprites"), std::string::npos);
    EXPECT_EQ(error_of("::clip.apply_skin()"), "Wrong number of parameters: more parameters expected.");
    EXPECT_EQ(error_of("::clip.set_command_handler()"), "Wrong number of parameters: more parameters expected.");
}

TEST_F(ClipSequenceTest, InitStartsOverWithoutControllersOrSkin) {
    clip::Clip& played = make_steps_clip();
    evaluate("::clip.set_looping(true); ::clip.apply_skin([\"flash\", null]); ::clip.advance_in_time(700); "
             "::clip.init(::steps); ::clip.advance_in_time(600); return null;");
    EXPECT_EQ(played.controller_count(), 0u);
    EXPECT_FALSE(played.has_skin());
    EXPECT_FALSE(played.looping());
    EXPECT_EQ(played.time(), 600u);
    EXPECT_EQ(evaluate_string("return fired_text()"), "h0 h1");
    EXPECT_EQ(evaluate_integer("return ::clip.get_duration_in_milliseconds()"), 10);
}

}  // namespace
}  // namespace me
