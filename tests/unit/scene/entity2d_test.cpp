#include <gtest/gtest.h>

#include <memory>

#include "binding_test_vm.h"
#include "scene/entity2d.h"

namespace me {
namespace {

constexpr float kTolerance = 1e-5f;

struct Point {
    float x;
    float y;
};

Point world_point(Entity2d& node, float x, float y) {
    node.world_matrix().transform(x, y);
    return {x, y};
}

void expect_point(Point actual, float x, float y) {
    EXPECT_NEAR(actual.x, x, kTolerance);
    EXPECT_NEAR(actual.y, y, kTolerance);
}

using Entity2dTest = test::BindingTest;

TEST_F(Entity2dTest, FreshNodeIsTheIdentity) {
    Entity2d node;
    expect_point(world_point(node, 3.0f, -4.0f), 3.0f, -4.0f);
    EXPECT_EQ(node.flags(), Entity2d::kWorldValid);
}

TEST_F(Entity2dTest, ScaleIsAppliedBeforeRotationAndTranslationLast) {
    Entity2d node;
    node.set_scale(2.0f, 3.0f);
    node.set_rotation(0.25f);
    node.set_position(10.0f, 20.0f);
    // (1, 0) scales to (2, 0), a quarter turn takes it to (0, 2).
    expect_point(world_point(node, 1.0f, 0.0f), 10.0f, 22.0f);
    // (0, 1) scales to (0, 3), the quarter turn takes it to (-3, 0).
    expect_point(world_point(node, 0.0f, 1.0f), 7.0f, 20.0f);
}

TEST_F(Entity2dTest, RotationFlagFollowsWhetherTheRotationIsZero) {
    Entity2d node;
    node.set_rotation(0.5f);
    EXPECT_NE(node.flags() & Entity2d::kRotated, 0u);
    expect_point(world_point(node, 1.0f, 0.0f), -1.0f, 0.0f);
    node.set_rotation(0.0f);
    EXPECT_EQ(node.flags() & Entity2d::kRotated, 0u);
    expect_point(world_point(node, 1.0f, 0.0f), 1.0f, 0.0f);
}

TEST_F(Entity2dTest, ChildIsTransformedByItsOwnMatrixThenItsParents) {
    Entity2d parent;
    Entity2d child;
    parent.set_position(100.0f, 0.0f);
    parent.set_rotation(0.25f);
    child.set_parent(&parent);
    child.set_position(10.0f, 0.0f);
    expect_point(world_point(child, 0.0f, 0.0f), 100.0f, 10.0f);
    expect_point(world_point(child, 1.0f, 0.0f), 100.0f, 11.0f);
}

TEST_F(Entity2dTest, MovingAnAncestorInvalidatesEveryDescendant) {
    Entity2d root;
    Entity2d middle;
    Entity2d leaf;
    middle.set_parent(&root);
    leaf.set_parent(&middle);
    leaf.set_position(1.0f, 1.0f);
    expect_point(world_point(leaf, 0.0f, 0.0f), 1.0f, 1.0f);
    EXPECT_NE(leaf.flags() & Entity2d::kWorldValid, 0u);
    root.set_position(5.0f, 7.0f);
    EXPECT_EQ(middle.flags() & Entity2d::kWorldValid, 0u);
    EXPECT_EQ(leaf.flags() & Entity2d::kWorldValid, 0u);
    expect_point(world_point(leaf, 0.0f, 0.0f), 6.0f, 8.0f);
}

TEST_F(Entity2dTest, AttachingKeepsTheLocalPlacement) {
    Entity2d parent;
    Entity2d child;
    parent.set_position(50.0f, 50.0f);
    child.set_position(3.0f, 4.0f);
    child.set_rotation(0.125f);
    child.set_parent(&parent);
    EXPECT_EQ(child.parent(), &parent);
    EXPECT_FLOAT_EQ(child.x(), 3.0f);
    EXPECT_FLOAT_EQ(child.y(), 4.0f);
    EXPECT_FLOAT_EQ(child.rotation(), 0.125f);
    expect_point(world_point(child, 0.0f, 0.0f), 53.0f, 54.0f);
}

TEST_F(Entity2dTest, DetachingKeepsTheWorldPositionAndMultipliesInTheAncestorsScale) {
    Entity2d grandparent;
    Entity2d parent;
    Entity2d child;
    grandparent.set_scale(2.0f, 2.0f);
    grandparent.set_position(10.0f, 20.0f);
    parent.set_parent(&grandparent);
    parent.set_scale(1.0f, 3.0f);
    child.set_parent(&parent);
    child.set_position(1.0f, 1.0f);
    child.set_parent(nullptr);
    EXPECT_EQ(child.parent(), nullptr);
    EXPECT_EQ(parent.first_child(), nullptr);
    EXPECT_FLOAT_EQ(child.x(), 12.0f);
    EXPECT_FLOAT_EQ(child.y(), 26.0f);
    EXPECT_FLOAT_EQ(child.scale_x(), 2.0f);
    EXPECT_FLOAT_EQ(child.scale_y(), 6.0f);
    EXPECT_NE(child.flags() & Entity2d::kScaled, 0u);
}

TEST_F(Entity2dTest, SettingTheSameParentAgainChangesNothing) {
    Entity2d parent;
    Entity2d child;
    parent.set_position(5.0f, 5.0f);
    child.set_parent(&parent);
    child.set_position(1.0f, 2.0f);
    child.set_parent(&parent);
    EXPECT_FLOAT_EQ(child.x(), 1.0f);
    EXPECT_FLOAT_EQ(child.y(), 2.0f);
    EXPECT_EQ(parent.first_child(), &child);
    EXPECT_EQ(child.next_sibling(), nullptr);
}

TEST_F(Entity2dTest, ParentingToItselfIsRefusedAndLeavesTheNodeFree) {
    Entity2d parent;
    Entity2d node;
    parent.set_position(10.0f, 0.0f);
    node.set_parent(&parent);
    node.set_parent(&node);
    EXPECT_TRUE(logged("error: Trying to bind Entity2d object to itself."));
    EXPECT_EQ(node.parent(), nullptr);
    EXPECT_EQ(parent.first_child(), nullptr);
    EXPECT_FLOAT_EQ(node.x(), 10.0f);
}

TEST_F(Entity2dTest, ParentingToADescendantIsRefusedAndLeavesTheNodeFree) {
    Entity2d top;
    Entity2d middle;
    Entity2d bottom;
    middle.set_parent(&top);
    bottom.set_parent(&middle);
    middle.set_parent(&bottom);
    EXPECT_TRUE(logged("error: Trying to bind Entity2d object to one of its own descendants."));
    EXPECT_EQ(middle.parent(), nullptr);
    EXPECT_EQ(top.first_child(), nullptr);
    EXPECT_EQ(bottom.parent(), &middle);
    EXPECT_FALSE(bottom.is_ancestor_of(middle));
    expect_point(world_point(bottom, 0.0f, 0.0f), 0.0f, 0.0f);
}

TEST_F(Entity2dTest, SiblingsKeepTheirOrderWhenOneLeaves) {
    Entity2d parent;
    Entity2d first;
    Entity2d middle;
    Entity2d last;
    first.set_parent(&parent);
    middle.set_parent(&parent);
    last.set_parent(&parent);
    middle.set_parent(nullptr);
    EXPECT_EQ(parent.first_child(), &first);
    EXPECT_EQ(first.next_sibling(), &last);
    middle.set_parent(&parent);
    EXPECT_EQ(last.next_sibling(), &middle);
}

TEST_F(Entity2dTest, DestroyedParentFreesItsChildrenKeepingTheirPlacement) {
    Entity2d child;
    {
        Entity2d parent;
        parent.set_position(7.0f, 8.0f);
        child.set_parent(&parent);
        child.set_position(1.0f, 1.0f);
    }
    EXPECT_EQ(child.parent(), nullptr);
    EXPECT_FLOAT_EQ(child.x(), 8.0f);
    EXPECT_FLOAT_EQ(child.y(), 9.0f);
}

TEST_F(Entity2dTest, DestroyedChildLeavesItsParentsList) {
    Entity2d parent;
    Entity2d kept;
    {
        Entity2d gone;
        gone.set_parent(&parent);
        kept.set_parent(&parent);
    }
    EXPECT_EQ(parent.first_child(), &kept);
    EXPECT_EQ(kept.next_sibling(), nullptr);
}

TEST_F(Entity2dTest, ScriptsBuildAndQueryTrees) {
    EXPECT_EQ(evaluate_string("local p = Entity2d(); local c = Entity2d();"
                              "p.set_position([10, 20]); p.set_scale(2, 2); c.set_parent(p); c.set_position(1, 2);"
                              "local w = c.get_world_position();"
                              "return w[0] + \",\" + w[1] + \",\" + (c.get_parent() == p);"),
              "12,24,true");
    EXPECT_EQ(error_of("Entity2d().set_parent(3)"), "Expecting Entity2d");
    EXPECT_EQ(error_of("Entity2d().set_position([1])"), "Vector array doesn't have right size.");
    EXPECT_EQ(error_of("Entity2d().set_rotation(\"x\")"), "Expecting float.");
    EXPECT_EQ(evaluate_string("local e = Entity2d(); e.set_parent(e); return \"\" + e.get_parent();"), "null");
}

}  // namespace
}  // namespace me
