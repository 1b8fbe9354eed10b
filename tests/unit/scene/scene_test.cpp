#include <gtest/gtest.h>

#include <string>

#include "binding_test_vm.h"
#include "core/resource_ref.h"
#include "scene/scene.h"
#include "scene/scene_object.h"

namespace me {
namespace {

// Script scenes whose objects write every callback into the global log.
class SceneTest : public test::BindingTest {
protected:
    void SetUp() override {
        BindingTest::SetUp();
        evaluate(R"(
            ::events <- [];
            class Probe extends SceneObject {
                name = null;
                constructor(n) { base.constructor(); name = n; }
                function on_move_end() { ::events.append(name + ":move"); }
                function on_rotate_end() { ::events.append(name + ":rotate"); }
                function on_fade_alpha_end() { ::events.append(name + ":fade"); }
                function on_out_of_area() { ::events.append(name + ":area"); }
                function on_animation_end() { ::events.append(name + ":animation"); }
                function on_collision(other) { ::events.append(name + ":hit:" + other.name); }
            }
            ::scene <- Scene();
            function probe(n) { local p = Probe(n); p.set_scene(::scene); return p; }
            function log_text() { local s = ""; foreach (e in ::events) s += e + " "; ::events.clear(); return s; }
        )");
    }

    std::string update_and_log(float dt) {
        evaluate("::scene.update(" + std::to_string(dt) + ")");
        return evaluate_string("return log_text()");
    }
};

TEST_F(SceneTest, EdgeCaseTweensRaiseTheirCallbacksOnTheNextUpdate) {
    evaluate("::a <- probe(\"a\"); ::a.set_position(3, 4); ::a.move_to([3, 4], 10);");
    evaluate("::b <- probe(\"b\"); ::b.fade_alpha_to(0, 0);");
    EXPECT_EQ(update_and_log(0.01f), "a:move b:fade ");
    EXPECT_FLOAT_EQ(evaluate_float("return ::b.get_color()[3]"), 0.0f);
    EXPECT_EQ(update_and_log(0.01f), "") << "each tween ends once";
}

TEST_F(SceneTest, OneObjectsCallbacksComeInFixedOrder) {
    evaluate(R"(::a <- probe("a"); ::a.set_position(50, 0); ::a.set_area([0, 0], [10, 10]);
               ::a.fade_alpha_to(0.5, 0); ::a.rotate_to(90, 0); ::a.move_to([50, 0], 0);)");
    EXPECT_EQ(update_and_log(0.1f), "a:move a:rotate a:fade a:area ");
    EXPECT_EQ(update_and_log(0.1f), "a:area ") << "outside its area on every update";
    evaluate("::a.set_position(5, 5)");
    EXPECT_EQ(update_and_log(0.1f), "");
}

TEST_F(SceneTest, CallbacksFollowLayerOrderThenListOrder) {
    evaluate(R"(::a <- probe("a"); ::a.set_layer(3); ::a.fade_alpha_to(0, 0);
               ::b <- probe("b"); ::b.set_layer(-2); ::b.fade_alpha_to(0, 0);
               ::c <- probe("c"); ::c.set_layer(3); ::c.fade_alpha_to(0, 0);)");
    EXPECT_EQ(update_and_log(0.1f), "b:fade a:fade c:fade ");
}

TEST_F(SceneTest, RotateToReturnsTheSignedTurnAndEndsAfterItsDuration) {
    EXPECT_NEAR(evaluate_float("::a <- probe(\"a\"); return ::a.rotate_to(350, 90)"), -10.0f, 1e-3f);
    EXPECT_EQ(update_and_log(0.1f), "");
    EXPECT_EQ(update_and_log(0.02f), "a:rotate ");
    EXPECT_NEAR(evaluate_float("return ::a.get_angle()"), 350.0f, 1e-2f);
}

TEST_F(SceneTest, CategoryAndMaskWorkInBothDirections) {
    evaluate(R"(::a <- probe("a"); ::a.add_collision_circle([0, 0], 5); ::a.set_collision_bits(1, 2);
               ::b <- probe("b"); ::b.set_position(8, 0); ::b.add_collision_circle([0, 0], 5);
               ::b.set_collision_bits(2, 1);)");
    EXPECT_EQ(update_and_log(0.1f), "a:hit:b b:hit:a ");
    evaluate("::b.set_collision_bits(2, 0)");
    EXPECT_EQ(update_and_log(0.1f), "a:hit:b ") << "only a looks for b's category";
    evaluate("::a.set_collision_bits(4, 0); ::b.set_collision_bits(2, 4)");
    EXPECT_EQ(update_and_log(0.1f), "b:hit:a ") << "the later object's mask counts too";
    evaluate("::b.set_position(10.5, 0)");
    EXPECT_EQ(update_and_log(0.1f), "") << "the circles no longer overlap";
    evaluate("::b.set_position(10, 0)");
    EXPECT_EQ(update_and_log(0.1f), "b:hit:a ") << "touching circles collide";
}

TEST_F(SceneTest, RectanglesCollideAsPointsAtTheirCentres) {
    evaluate(R"(::a <- probe("a"); ::a.add_collision_rect([0, 0], [10, 10]); ::a.set_collision_bits(1, 1);
               ::b <- probe("b"); ::b.add_collision_circle([5, 9], 4); ::b.set_collision_bits(1, 1);)");
    EXPECT_EQ(update_and_log(0.1f), "a:hit:b b:hit:a ");
    evaluate("::a.remove_all_collisions(); ::a.add_collision_rect([0, 0], [10, 20])");
    EXPECT_EQ(update_and_log(0.1f), "a:hit:b b:hit:a ");
    evaluate("::a.set_position(0, -5.5)");
    EXPECT_EQ(update_and_log(0.1f), "");
}

TEST_F(SceneTest, SortLayerKeepsEqualHeightsInOrderAndKeysByTopmostParent) {
    evaluate(R"(::a <- probe("a"); ::a.set_position(0, 5);
               ::b <- probe("b"); ::b.set_position(0, 1);
               ::c <- probe("c"); ::c.set_position(0, 5);
               ::d <- probe("d"); ::d.set_position(0, 3);
               ::parent <- SceneObject(); ::parent.set_position(0, -100);
               ::e <- probe("e"); ::e.set_parent(::parent); ::e.set_position(0, 200);
               ::scene.sort_layer(0);)");
    Scene* scene = native_of<Scene>(evaluate("return ::scene"));
    std::string order;
    for (SceneObject* object = scene->layer(0).first(); object != nullptr; object = object->next_in_layer()) {
        object->ownership().push_instance(vm());
        sq_pushstring(vm(), "name", -1);
        sq_get(vm(), -2);
        const SQChar* name = nullptr;
        sq_getstring(vm(), -1, &name);
        order += name;
        sq_pop(vm(), 2);
    }
    EXPECT_EQ(order, "ebdac");
    EXPECT_EQ(scene->layer(0).count(), 5);
}

TEST_F(SceneTest, SortLayerRefusesALayerOutsideTheScene) {
    EXPECT_EQ(error_of("::scene.sort_layer(17)"), "Expecting a layer from -16 to 16.");
    EXPECT_EQ(error_of("::scene.sort_layer(-17)"), "Expecting a layer from -16 to 16.");
    EXPECT_EQ(error_of("::scene.sort_layer(16)"), "no error");
}

TEST_F(SceneTest, ObjectsRemovedDuringUpdateSurviveTheirStep) {
    evaluate(R"(
        class Remover extends Probe {
            function on_fade_alpha_end() { ::events.append(name + ":fade"); set_scene(null); ::killed <- name; }
        }
        local r = Remover("r"); r.set_scene(::scene); r.fade_alpha_to(0, 0);
        local s = Remover("s"); s.set_scene(::scene); s.fade_alpha_to(0, 0);
    )");
    EXPECT_EQ(update_and_log(0.1f), "r:fade s:fade ");
    Scene* scene = native_of<Scene>(evaluate("return ::scene"));
    EXPECT_EQ(scene->layer(0).count(), 0);
    EXPECT_EQ(update_and_log(0.1f), "");
}

TEST_F(SceneTest, SetLayerClampsAndRejoinsAtTheEndOfTheNewLayer) {
    evaluate("::a <- probe(\"a\"); ::b <- probe(\"b\"); ::a.set_layer(40); ::b.set_layer(16);");
    EXPECT_EQ(evaluate_integer("return ::a.get_layer()"), 16);
    Scene* scene = native_of<Scene>(evaluate("return ::scene"));
    EXPECT_EQ(scene->layer(0).count(), 0);
    EXPECT_EQ(scene->layer(16).count(), 2);
    EXPECT_EQ(scene->layer(16).last(), native_of<SceneObject>(evaluate("return ::b")));
    evaluate("::a.set_layer(-99)");
    EXPECT_EQ(evaluate_integer("return ::a.get_layer()"), -16);
}

TEST_F(SceneTest, ParentingToADescendantIsRefused) {
    evaluate(R"(::root <- SceneObject(); ::child <- SceneObject(); ::grandchild <- SceneObject();
               ::child.set_parent(::root); ::grandchild.set_parent(::child);
               ::root.set_parent(::grandchild);)");
    EXPECT_NE(log_text().find("Trying to bind Entity2d object to one of its own descendants."), std::string::npos);
    EXPECT_EQ(native_of<SceneObject>(evaluate("return ::root"))->parent(), nullptr);
    EXPECT_NE(native_of<SceneObject>(evaluate("return ::grandchild"))->parent(), nullptr);
}

TEST_F(SceneTest, ArgumentErrorsUseTheirFixedTexts) {
    evaluate("::a <- SceneObject()");
    EXPECT_EQ(error_of("::scene.update(\"x\")"), "Expecting float.");
    EXPECT_EQ(error_of("::scene.set_view(1)"), "Expecting View2d");
    EXPECT_EQ(error_of("::scene.render(null)"), "Expecting Camera");
    EXPECT_EQ(error_of("::Scene.update.call(::a, 1.0)"), "Expecting Scene");
    EXPECT_EQ(error_of("::SceneObject.set_layer.call(::scene, 1)"), "Expecting SceneObject");
    EXPECT_EQ(error_of("::a.set_layer(\"top\")"), "Expecting integer.");
    EXPECT_EQ(error_of("::a.set_color([1, 1, 1])"), "Vector array doesn't have right size.");
    EXPECT_EQ(error_of("::a.move_to([1, 2], \"fast\")"), "Expecting float.");
    EXPECT_EQ(error_of("::a.set_emitter(3)"), "Expecting string.");
    EXPECT_EQ(error_of("::a.set_sprite(3)"), "Expecting resource name or null.");
    EXPECT_EQ(error_of("::a.set_scene(::a)"), "Expecting Scene");
    EXPECT_EQ(error_of("::a.set_parent(::scene)"), "Expecting SceneObject");
    EXPECT_EQ(error_of("::a.set_collision_bits(1, true)"), "Expecting integer.");
    EXPECT_EQ(error_of("::a.set_enabled(0)"), "no error");
    EXPECT_FALSE(evaluate_bool("return ::a.is_enabled()"));
}

TEST_F(SceneTest, ColourLocalScaleAndShearRoundTrip) {
    evaluate("::a <- SceneObject(); ::a.set_color([0.5, 0.25, 1, 0.75]); ::a.set_local_scale(2, 3); "
             "::a.set_shear([0.5, 0])");
    EXPECT_FLOAT_EQ(evaluate_float("return ::a.get_color()[1]"), 0.25f);
    EXPECT_FLOAT_EQ(evaluate_float("return ::a.get_color()[3]"), 0.75f);
    EXPECT_FLOAT_EQ(evaluate_float("return ::a.get_local_scale()[1]"), 3.0f);
    EXPECT_FLOAT_EQ(evaluate_float("return ::a.get_shear()[0]"), 0.5f);
    SceneObject* object = native_of<SceneObject>(evaluate("return ::a"));
    EXPECT_NE(object->object_flags() & SceneObject::kShearInUse, 0u);
    EXPECT_FLOAT_EQ(evaluate_float("return ::a.get_pivot_in_texture_image()[0]"), 0.0f);
}

TEST_F(SceneTest, DroppedSceneReleasesItsObjects) {
    evaluate("::a <- probe(\"a\"); ::scene = null;");
    SceneObject* object = native_of<SceneObject>(evaluate("return ::a"));
    EXPECT_EQ(object->scene(), nullptr);
    EXPECT_EQ(evaluate_string("::a = null; return \"gone\""), "gone");
}

}  // namespace
}  // namespace me
