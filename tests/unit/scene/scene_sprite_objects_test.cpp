#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emitter_test_fixture.h"
#include "gpu/quad_batch.h"
#include "gpu/render_device.h"
#include "gpu/view2d.h"
#include "resources/sprite.h"
#include "scene/scene.h"
#include "scene/scene_emitter.h"
#include "scene/scene_object.h"
#include "scene_batch_reader.h"

namespace me {
namespace {

// Scene objects showing real sprites of an 8 × 8 texture (see EmitterTest;
// "spark" is 4 × 2 with pivot [1, 1], "flash" 4 × 4, "blink" three frames of
// 0.1 s) plus sprites with collision shapes. Objects made with probe() join
// ::scene and write their callbacks into a log.
class SceneSpriteObjectsTest : public test::EmitterTest {
protected:
    void SetUp() override {
        EmitterTest::SetUp();
        batch.create_buffers();
        view.set_canvas_size({20, 12});
        view.set_viewport_size({20, 12});
        // The render device defines the built-in white sprite lines use once
        // it starts in a GL context; here the test defines it the same way.
        evaluate(R"(
            g_texture_defs["_white_"] <- { _special_ = "_white_" };
            g_sprite_defs["_white_"] <- { texture = "_white_" };
            g_sprite_defs["target"] <- { texture = "dot", pivot = "center", ccircle = [4, 4, 2] };
            g_sprite_defs["box"] <- { texture = "dot", pivot = [4, 4], crect = [6, 4, 2, 4] };
            g_sprite_defs["targets"] <- { frames = ["target", "box"], duration = 0.2 };
            g_emitter_defs["burst"] <- { area = { type = "box" }, pulse_count = 1, pulse_particle_count = 5,
                                        particle = { sprite = "spark", duration = 0.5 } };
            ::events <- [];
            ::objects <- {};
            class Probe extends SceneObject {
                name = null;
                constructor(n) { base.constructor(); name = n; }
                function on_animation_end() { ::events.append(name + ":animation"); }
            }
            ::scene <- Scene();
            function probe(n) { local p = Probe(n); p.set_scene(::scene); ::objects[n] <- p; return p; }
            function log_text() { local s = ""; foreach (e in ::events) s += e + " "; ::events.clear(); return s; }
            return null;)");
    }

    // The objects hold sprites, which hold script objects: they go first.
    void TearDown() override {
        evaluate("::objects.clear(); ::scene = null; return null;");
        EmitterTest::TearDown();
    }

    std::string update_and_log(float dt) {
        evaluate("::scene.update(" + std::to_string(dt) + ")");
        return evaluate_string("return log_text()");
    }

    SceneObject& object(const std::string& name) {
        return *native_of<SceneObject>(evaluate("return ::objects[\"" + name + "\"]"));
    }

    // The left-top corner of each quad the object writes into the batch.
    std::vector<Vec2> drawn_corners(const std::string& name) {
        object(name).draw(batch, view);
        std::vector<Vec2> corners;
        const std::span<const QuadVertex> vertices = test::gathered_vertices(batch);
        for (size_t quad = 0; quad * 4 < vertices.size(); ++quad)
            corners.push_back({vertices[quad * 4 + kQuadLeftTop].x, vertices[quad * 4 + kQuadLeftTop].y});
        batch.flush();
        return corners;
    }

    RenderDevice device;
    QuadBatch batch{device};
    View2d view;
};

TEST_F(SceneSpriteObjectsTest, AnimatedSpritePlaysItsFramesAndEndsWithOnAnimationEnd) {
    evaluate("probe(\"a\").set_sprite(\"blink\"); ::objects.a.play();");
    SceneObject& a = object("a");
    ASSERT_EQ(a.type(), SceneObject::AnimatedSprite);
    Sprite* blink = a.sprite();
    EXPECT_EQ(a.drawn_sprite(), blink->frame(0).sprite.get());
    EXPECT_EQ(update_and_log(0.15f), "");
    EXPECT_EQ(a.drawn_sprite(), blink->frame(1).sprite.get());
    EXPECT_EQ(update_and_log(0.1f), "");
    EXPECT_EQ(a.drawn_sprite(), blink->frame(2).sprite.get());
    EXPECT_TRUE(evaluate_bool("return ::objects.a.is_playing()"));
    EXPECT_EQ(update_and_log(0.1f), "a:animation ");
    EXPECT_FALSE(evaluate_bool("return ::objects.a.is_playing()"));
    EXPECT_EQ(a.drawn_sprite(), blink->frame(2).sprite.get()) << "it stays on the last frame";
    EXPECT_EQ(update_and_log(1.0f), "") << "ended once";
}

TEST_F(SceneSpriteObjectsTest, BackwardLoopingAndSpeedChangePlayback) {
    evaluate(R"(probe("a").set_sprite("blink"); ::objects.a.play_backward();
               probe("b").set_sprite("blink"); ::objects.b.set_looping(true); ::objects.b.play();
               probe("c").set_sprite("blink"); ::objects.c.set_playing_speed(3); ::objects.c.play();)");
    EXPECT_EQ(object("a").drawn_sprite(), object("a").sprite()->frame(2).sprite.get());
    EXPECT_EQ(update_and_log(0.11f), "c:animation ") << "three times as fast";
    EXPECT_EQ(object("a").drawn_sprite(), object("a").sprite()->frame(1).sprite.get());
    EXPECT_EQ(update_and_log(0.2f), "a:animation ");
    EXPECT_EQ(update_and_log(2.0f), "") << "looping never ends";
    EXPECT_TRUE(evaluate_bool("return ::objects.b.is_playing()"));
}

TEST_F(SceneSpriteObjectsTest, PivotAndSizeAreTheShownSpritesAndFramesSpanTheirBoundingBox) {
    evaluate("probe(\"a\"); probe(\"b\").set_sprite(\"blink\"); probe(\"c\").set_texture(\"dot\");");
    EXPECT_EQ(evaluate_string("local p = ::objects.a.get_pivot(), s = ::objects.a.get_size();"
                              "return p[0] + \",\" + p[1] + \" \" + s[0] + \",\" + s[1]"),
              "0,0 0,0");
    evaluate("::objects.a.set_sprite(\"spark\")");
    EXPECT_EQ(object("a").type(), SceneObject::StaticSprite);
    EXPECT_EQ(evaluate_string("local p = ::objects.a.get_pivot(), s = ::objects.a.get_size();"
                              "return p[0] + \",\" + p[1] + \" \" + s[0] + \",\" + s[1]"),
              "1,1 4,2");
    // spark reaches from (-1, -1) to (3, 1), flash from (0, 0) to (4, 4).
    EXPECT_EQ(evaluate_string("local p = ::objects.b.get_pivot(), s = ::objects.b.get_size();"
                              "return p[0] + \",\" + p[1] + \" \" + s[0] + \",\" + s[1]"),
              "1,1 5,5");
    EXPECT_EQ(evaluate_string("local s = ::objects.c.get_size(); return s[0] + \",\" + s[1]"), "8,8");
}

TEST_F(SceneSpriteObjectsTest, AnUnknownSpriteLeavesTheObjectShowingNothing) {
    evaluate("probe(\"a\").set_sprite(\"spark\"); ::objects.a.set_sprite(\"no_such_sprite\");");
    EXPECT_EQ(object("a").type(), SceneObject::None);
    EXPECT_NE(log_text().find("no_such_sprite"), std::string::npos);
    EXPECT_TRUE(drawn_corners("a").empty());
    evaluate("::objects.a.play()");
    EXPECT_EQ(update_and_log(1.0f), "");
}

TEST_F(SceneSpriteObjectsTest, PointTestUsesTheSpritesShapesPlacedByTheWorldMatrix) {
    evaluate("probe(\"a\").set_sprite(\"target\"); ::objects.a.set_position(100, 100); ::objects.a.set_scale(2, 2);");
    // The circle is centred on the pivot with radius 2, twice that in the world.
    EXPECT_TRUE(evaluate_bool("return ::objects.a.test_collision_with_point([103.9, 100])"));
    EXPECT_FALSE(evaluate_bool("return ::objects.a.test_collision_with_point([104.1, 100])"));
    EXPECT_FALSE(evaluate_bool("return ::objects.a.test_collision_with_point([4, 4])"));
    // The rectangle covers (2, 0) to (4, 4) from the pivot; half a turn
    // mirrors it through the origin.
    evaluate("probe(\"b\").set_sprite(\"box\"); ::objects.b.set_position(50, 50);");
    EXPECT_TRUE(evaluate_bool("return ::objects.b.test_collision_with_point([53, 52])"));
    EXPECT_FALSE(evaluate_bool("return ::objects.b.test_collision_with_point([47, 48])"));
    evaluate("::objects.b.set_rotation(0.5)");
    EXPECT_FALSE(evaluate_bool("return ::objects.b.test_collision_with_point([53, 52])"));
    EXPECT_TRUE(evaluate_bool("return ::objects.b.test_collision_with_point([47, 48])"));
    evaluate("::objects.b.set_scale(0, 1)");
    EXPECT_FALSE(evaluate_bool("return ::objects.b.test_collision_with_point([50, 50])")) << "a collapsed object";
}

TEST_F(SceneSpriteObjectsTest, AnimatedSpriteTestsTheShapesOfTheFrameShown) {
    evaluate("probe(\"a\").set_sprite(\"targets\"); ::objects.a.play();");
    EXPECT_TRUE(evaluate_bool("return ::objects.a.test_collision_with_point([1, 0])"));
    EXPECT_FALSE(evaluate_bool("return ::objects.a.test_collision_with_point([3, 2])"));
    update_and_log(0.15f);
    EXPECT_FALSE(evaluate_bool("return ::objects.a.test_collision_with_point([1, 0])"));
    EXPECT_TRUE(evaluate_bool("return ::objects.a.test_collision_with_point([3, 2])"));
}

TEST_F(SceneSpriteObjectsTest, RepeatingSpriteTilesTheCanvasFromAtOrBeforeZero) {
    evaluate("probe(\"a\").set_sprite(\"flash\"); ::objects.a.set_position(6, 5); "
             "::objects.a.set_repeating(true, false);");
    std::vector<Vec2> corners = drawn_corners("a");
    ASSERT_EQ(corners.size(), 6u) << "x = -2, 2, 6, 10, 14, 18 on a canvas 20 wide";
    for (size_t i = 0; i < corners.size(); ++i) {
        EXPECT_FLOAT_EQ(corners[i].x, -2.0f + 4.0f * static_cast<float>(i));
        EXPECT_FLOAT_EQ(corners[i].y, 5.0f);
    }
    evaluate("::objects.a.set_repeating(true, true)");
    corners = drawn_corners("a");
    ASSERT_EQ(corners.size(), 24u) << "rows at y = -3, 1, 5, 9 on a canvas 12 high";
    EXPECT_FLOAT_EQ(corners.front().y, -3.0f);
    EXPECT_FLOAT_EQ(corners.back().x, 18.0f);
    EXPECT_FLOAT_EQ(corners.back().y, 9.0f);
    evaluate("::objects.a.set_repeating(1, 0); ::objects.a.set_local_scale(2, 1); ::objects.a.set_position(-20, 0)");
    corners = drawn_corners("a");
    ASSERT_EQ(corners.size(), 3u) << "steps of the scaled width, 8";
    EXPECT_FLOAT_EQ(corners[0].x, -4.0f);
}

TEST_F(SceneSpriteObjectsTest, LineIsAUnitWideWhiteQuadFromTheWorldPositionToTheEnd) {
    evaluate(R"(::objects.parent <- SceneObject(); ::objects.parent.set_position(5, 5);
               probe("a").set_parent(::objects.parent); ::objects.a.set_position(10, 15);
               ::objects.a.set_line([35, 20]); ::objects.a.set_color([1, 0.5, 0, 0.5]);)");
    EXPECT_EQ(object("a").type(), SceneObject::Line);
    object("a").draw(batch, view);
    const std::span<const QuadVertex> quad = test::gathered_vertices(batch);
    ASSERT_EQ(quad.size(), 4u);
    // From the world position (15, 20) to (35, 20), half a unit to each side.
    EXPECT_FLOAT_EQ(quad[kQuadLeftTop].x, 15.0f);
    EXPECT_FLOAT_EQ(quad[kQuadLeftTop].y, 19.5f);
    EXPECT_FLOAT_EQ(quad[kQuadRightTop].x, 35.0f);
    EXPECT_FLOAT_EQ(quad[kQuadRightBottom].y, 20.5f);
    EXPECT_FLOAT_EQ(quad[kQuadLeftBottom].x, 15.0f);
    EXPECT_EQ(quad[0].color, pack_quad_color({0.5f, 0.25f, 0.0f, 0.5f}));
    batch.flush();
    evaluate("::objects.a.set_line([15, 20])");
    EXPECT_TRUE(drawn_corners("a").empty()) << "a line of no length";
}

TEST_F(SceneSpriteObjectsTest, EmitterObjectDestroysItselfOnceItsOnePulseHasDied) {
    evaluate(R"(probe("a").set_emitter("burst"); ::objects.a.set_auto_destroy(true);
               probe("b").set_emitter("burst");)");
    Scene* scene = native_of<Scene>(evaluate("return ::scene"));
    update_and_log(0.1f);
    ASSERT_NE(object("a").emitter(), nullptr);
    EXPECT_EQ(object("a").emitter()->live_particle_count(), 5u);
    EXPECT_TRUE(object("a").emitter()->finished());
    EXPECT_EQ(drawn_corners("a").size(), 5u);
    update_and_log(0.3f);
    EXPECT_EQ(scene->layer(0).count(), 2) << "its particles still live";
    EXPECT_TRUE(evaluate_bool("return ::objects.a.is_enabled()"));
    update_and_log(0.15f);
    EXPECT_EQ(object("a").scene(), nullptr);
    EXPECT_FALSE(evaluate_bool("return ::objects.a.is_enabled()"));
    EXPECT_EQ(scene->layer(0).count(), 1);
    EXPECT_EQ(scene->layer(0).first(), &object("b")) << "without auto destroy the object stays";
    update_and_log(0.1f);
    EXPECT_EQ(scene->layer(0).count(), 1);
}

}  // namespace
}  // namespace me
