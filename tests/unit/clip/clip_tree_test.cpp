#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "clip_test_fixture.h"
#include "gpu/quad_batch.h"
#include "gpu/render_device.h"
#include "resources/sprite.h"
#include "scene_batch_reader.h"

namespace me {
namespace {

using clip::ClipObject;

constexpr int32_t kUnset = ClipObject::kUnsetZOrder;

// One node of a tree under a root clip: its parent (-1 for the root), its
// z order, and for a nested clip whether it renders within its parent.
struct NodeSpec {
    int parent;
    int32_t z;
    bool nested_clip = false;
    bool within_parent = false;
};

struct DrawOrderCase {
    const char* name;
    std::vector<NodeSpec> nodes;
    // Node indices in the order their sprites are drawn (nested clips draw
    // no sprite of their own). Only nested clips have children with sprites
    // besides node 0, which sits at the origin.
    std::vector<int> drawn;
};

std::vector<NodeSpec> forty_in_three_z_orders() {
    std::vector<NodeSpec> nodes;
    for (int i = 0; i < 40; ++i)
        nodes.push_back({-1, i % 3});
    return nodes;
}

std::vector<int> forty_stably_sorted() {
    std::vector<int> order;
    for (int z = 0; z < 3; ++z)
        for (int i = z; i < 40; i += 3)
            order.push_back(i);
    return order;
}

const DrawOrderCase kDrawOrders[] = {
    {"unset z in the order added", {{-1, kUnset}, {-1, kUnset}, {-1, kUnset}}, {0, 1, 2}},
    {"ascending z, ties in the order added", {{-1, 2}, {-1, 1}, {-1, 1}, {-1, 0}}, {3, 1, 2, 0}},
    {"a child without z draws at its parent's, after it", {{-1, 5}, {0, kUnset}, {-1, 3}}, {2, 0, 1}},
    {"a child's own z places it among all nodes", {{-1, 5}, {0, -1}, {-1, 3}}, {1, 2, 0}},
    {"a nested clip orders its own nodes apart",
     {{-1, 0}, {-1, 1, true}, {1, -5}, {1, 10}, {1, kUnset}, {-1, 2}},
     {0, 2, 4, 3, 5}},
    {"a nested clip within its parent lets its nodes join the outer order",
     {{-1, 0}, {-1, 1, true, true}, {1, -5}, {1, 10}, {1, kUnset}, {-1, 2}},
     {2, 0, 4, 5, 3}},
    {"longer lists sort stably too", forty_in_three_z_orders(), forty_stably_sorted()},
};

class ClipTreeTest : public test::ClipTest {
protected:
    void SetUp() override {
        ClipTest::SetUp();
        batch.create_buffers();
    }

    // Node i shows "spark" (pivot [1, 1]) at x = 10 i, so the left edge of
    // its quad names it.
    std::vector<int> draw_order(const std::vector<NodeSpec>& specs) {
        ResourceRef<clip::Clip> root(new clip::Clip());
        std::vector<ResourceRef<ClipObject>> nodes;
        const ResourceRef<Sprite> spark = load_sprite("spark");
        for (size_t i = 0; i < specs.size(); ++i) {
            const NodeSpec& spec = specs[i];
            ResourceRef<ClipObject> node;
            if (spec.nested_clip) {
                auto* nested = new clip::Clip();
                nested->set_render_within_parent(spec.within_parent);
                node = ResourceRef<ClipObject>(nested);
            } else {
                node = ResourceRef<ClipObject>(new ClipObject());
                node->set_sprite(spark);
            }
            // Nested clips stay at the origin so that their nodes' places
            // are their own.
            if (!spec.nested_clip)
                node->set_position({10.0f * static_cast<float>(i), 0.0f});
            node->set_z_order(spec.z);
            ClipObject& parent = spec.parent < 0 ? *root.get() : *nodes[static_cast<size_t>(spec.parent)].get();
            parent.add_child(*node.get());
            nodes.push_back(node);
        }
        root->draw_tree(batch, nullptr);
        std::vector<int> order;
        const std::span<const QuadVertex> vertices = test::gathered_vertices(batch);
        for (size_t quad = 0; quad * 4 < vertices.size(); ++quad)
            order.push_back(static_cast<int>(std::lround((vertices[quad * 4 + kQuadLeftTop].x + 1.0f) / 10.0f)));
        batch.flush();
        return order;
    }

    RenderDevice device;
    QuadBatch batch{device};
};

TEST_F(ClipTreeTest, NodesDrawByZOrderAndKeepTheirOrderOnTies) {
    for (const DrawOrderCase& c : kDrawOrders)
        EXPECT_EQ(draw_order(c.nodes), c.drawn) << c.name;
}

TEST_F(ClipTreeTest, ANodeCannotBecomeAChildOfItselfOrOfItsDescendants) {
    evaluate(R"(
        ::a <- ClipObject(); ::b <- ClipObject(); ::c <- ClipObject();
        a.add_child(b);
        b.add_child(c);
        c.add_child(a);
        a.add_child(a);
        b.add_child_at_index(a, 0);
        return null;)");
    EXPECT_EQ(evaluate_integer("return c.get_child_count() + b.get_child_count() * 10 + a.get_child_count() * 100"),
              110);
    EXPECT_TRUE(evaluate_bool("return a.get_parent() == null && c.get_parent() == b && b.get_parent() == a"));
    EXPECT_NE(log_text().find("Trying to add a ClipObject as a child of itself or of one of its descendants."),
              std::string::npos);
    // Moving a node to another parent, before an index.
    evaluate("::d <- ClipObject(); d.add_child(a); ::e <- ClipObject(); d.add_child_at_index(e, 0); "
             "b.add_child_at_index(e, -4); return null;");
    EXPECT_TRUE(evaluate_bool("return a.get_parent() == d && e.get_parent() == b && d.get_child_count() == 1"));
    EXPECT_TRUE(evaluate_bool("c.remove_from_parent(); return c.get_parent() == null && b.get_child_count() == 1"));
    evaluate("::a <- null; ::b <- null; ::c <- null; ::d <- null; ::e <- null; return null;");
}

struct RealZCase {
    const char* tree;
    int32_t expected;
};

// ::leaf is asked; its z order is unset in every case.
const RealZCase kRealZ[] = {
    {"local c = Clip(); c.add_child(::leaf);", 0},
    {"local c = Clip(); c.set_z_order(4); c.add_child(::leaf);", 4},
    {"local p = ClipObject(); p.set_z_order(-3); p.add_child(::leaf);", -3},
    {"local c = Clip(); c.set_z_order(9); local p = ClipObject(); c.add_child(p); p.add_child(::leaf);", 9},
    {"local p = ClipObject(); local q = ClipObject(); q.set_z_order(6); q.add_child(p); p.add_child(::leaf);", 6},
    {"local q = ClipObject(); q.set_z_order(6); local c = Clip(); q.add_child(c); c.add_child(::leaf);", 0},
    {"", 0},
};

TEST_F(ClipTreeTest, RealZOrderWalksUpToTheFirstSetOneStoppingAtAClip) {
    for (const RealZCase& c : kRealZ) {
        // Asked at once: the locals of the tree go when the code returns.
        EXPECT_EQ(evaluate_integer(std::string("::leaf <- ClipObject(); ") + c.tree +
                                   " return ::leaf.get_real_z_order();"),
                  c.expected)
            << c.tree;
        EXPECT_EQ(evaluate_integer("return ::leaf.get_z_order()"), kUnset) << c.tree;
    }
    evaluate("::leaf <- null; return null;");
}

TEST_F(ClipTreeTest, AbsoluteTransformsComposeWithTheParentsAndFollowChanges) {
    evaluate(R"(
        ::outer <- Clip(); ::inner <- ClipObject(); ::named <- ClipObject();
        outer.add_child(inner);
        inner.add_child(named);
        named.set_name("tip");
        outer.set_position(100, 50);
        outer.set_rotation(0.25);
        outer.set_scale([2, 3]);
        inner.set_position([10, 0]);
        named.set_position(0, 5);
        return null;)");
    // A quarter turn maps (x, y) to (-y, x); the parent scales first.
    EXPECT_EQ(evaluate_string("local p = ::named.get_absolute_position(); "
                              "return (p[0] + 0.5).tointeger() + \",\" + (p[1] + 0.5).tointeger()"),
              "85,70");
    evaluate("outer.set_rotation(0); return null;");
    EXPECT_EQ(evaluate_string("local p = ::named.get_absolute_position(); "
                              "return (p[0] + 0.5).tointeger() + \",\" + (p[1] + 0.5).tointeger()"),
              "120,65");
    EXPECT_TRUE(evaluate_bool("return ::outer.find_object_by_name(\"tip\") == ::named"));
    EXPECT_TRUE(evaluate_bool("return ::outer.find_object_by_name(\"nobody\") == null"));
    EXPECT_EQ(evaluate_string("::named.set_color([0.5, 0.25, 1, 0.75]); ::named.set_alpha(0.5); "
                              "local c = ::named.get_color(); return c[0] + \" \" + c[1] + \" \" + c[3] + \" \" + "
                              "::named.get_alpha()"),
              "0.5 0.25 0.5 0.5");
    EXPECT_EQ(error_of("::named.set_sprite(3)"), "Expecting resource name or null.");
    EXPECT_EQ(error_of("::named.set_name(3)"), "Expecting string.");
    EXPECT_EQ(error_of("::named.render_to_view(::named)"), "Expecting View2d");
    evaluate("::outer <- null; ::inner <- null; ::named <- null; return null;");
}

}  // namespace
}  // namespace me
