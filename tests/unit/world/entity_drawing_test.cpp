// What an entity enters into its room's lists, and where it places its
// clips: anchor, hit shake, height, facing, light offsets, the shadow on the
// floor, scissoring, grabbing and collision outlines.
#include <string>

#include "../clip/clip_test_fixture.h"
#include "world/entity_drawing.h"
#include "world/entity_shadow.h"
#include "world/room_base.h"
#include "world/room_draw_list.h"

namespace me::test {
namespace {

class EntityDrawingTest : public ClipTest {
protected:
    void SetUp() override {
        ClipTest::SetUp();
        evaluate(R"(
            const U = 65536;
            ::room <- RoomBase();
            room.add_static_box_collision([0, 0], [1000 * U, 1000 * U], 0);
            ::e <- EntityBase();
            e.set_position([100 * U, 50 * U]);
            e.set_anchor_offset([2 * U, 3 * U]);
            e.set_z(400 * U);
            e.set_scale([2 * U, U]);
            e.set_box_collision([-4 * U, -2 * U], [4 * U, 2 * U], 10 * U);
            e.set_collision_group_and_mask(2, 1);
            e.set_shadow_sprite("spark");
            e.play_clip("steps", 0, false, true);
            e.play_light_clip("steps", true);
            e.set_light_clip_offset(5 * U, 6 * U, 7 * U);
            e.set_facing(1);
            e.set_alpha(128);
            e.play_hit_shake();
            room.add_entity(e);
            return null;)");
        entity = native_of<EntityBase>(evaluate("return ::e"));
        room = native_of<RoomBase>(evaluate("return ::room"));
        white = load_sprite("flash");
    }
    void TearDown() override {
        white.reset();
        evaluate("::room <- null; ::e <- null; ::parent <- null; return null;");
        ClipTest::TearDown();
    }

    const std::vector<DrawEntry>& draw(bool outlines) {
        lists.clear();
        EntityDrawing(*entity, *room, lists).add_entries(white.get(), outlines);
        return lists.list(RoomDrawLists::kMain);
    }

    EntityBase* entity = nullptr;
    RoomBase* room = nullptr;
    ResourceRef<Sprite> white;
    RoomDrawLists lists;
};

TEST_F(EntityDrawingTest, ClipsShadowAndOutlineOfAFreeEntity) {
    const std::vector<DrawEntry>& main = draw(true);
    clip::Clip& shown = *entity->clips().clip();
    EXPECT_EQ(shown.position(), (Vec2{102, 53 - 40 - 400})) << "anchored, shaken and raised";
    EXPECT_EQ(shown.scale(), (Vec2{-2, 1})) << "mirrored";
    EXPECT_NEAR(shown.color().alpha, 128 / 255.0f, 1e-5f);
    ASSERT_EQ(main.size(), 6u) << "the clip, the shadow and four bars";
    EXPECT_EQ(main[0].clip, &shown);
    EXPECT_EQ(main[0].key, depth_key(kDepthDrawLayer, 50 << 16, 400 << 16, 3));
    EXPECT_EQ(main[0].y, 50.0f);
    EXPECT_FALSE(main[0].scissor);

    const DrawEntry& shadow = main[1];
    EXPECT_EQ(shadow.sprite, entity->shadow_sprite());
    EXPECT_EQ(shadow.key, shadow_depth_key(53 << 16, 0));
    EXPECT_NEAR(shadow.transform.a, -1.0f, 1e-5f) << "half size 400 up, mirrored, times scale 2";
    EXPECT_NEAR(shadow.transform.d, 0.5f, 1e-5f);
    EXPECT_EQ(shadow.transform.tx, 102.0f);
    EXPECT_EQ(shadow.transform.ty, 53.0f) << "on the floor";
    EXPECT_NEAR(shadow.color.alpha, 128 / 255.0f, 1e-5f);
    EXPECT_NEAR(shadow.color.red, 128 / 255.0f, 1e-5f) << "premultiplied";

    for (size_t bar = 2; bar < 6; ++bar)
        EXPECT_EQ(main[bar].layer, kDebugDrawLayer);
    EXPECT_EQ(main[2].transform.tx, 96.0f) << "the outline starts at the bounds, raised by z";
    EXPECT_EQ(main[2].transform.ty, 48.0f - 400.0f);

    const std::vector<DrawEntry>& lights = lists.list(RoomDrawLists::kLight);
    ASSERT_EQ(lights.size(), 1u);
    clip::Clip& light = *entity->clips().light_clip();
    EXPECT_EQ(lights[0].clip, &light);
    EXPECT_EQ(light.position(), (Vec2{102 - 5, 53 + 6 - 40 - 7 - 400})) << "x offset mirrored";
    EXPECT_EQ(light.color().alpha, 1.0f);
    EXPECT_EQ(draw(false).size(), 2u) << "no outline unless asked";
}

TEST_F(EntityDrawingTest, AScissoredOrGrabbedEntityCastsNoShadow) {
    evaluate("e.set_scissor(true);");
    const std::vector<DrawEntry>& scissored = draw(false);
    ASSERT_EQ(scissored.size(), 1u);
    EXPECT_TRUE(scissored[0].scissor);
    EXPECT_EQ(scissored[0].ground_y, 53.0f);
    evaluate("e.set_scissor(false); e.set_grabbed(true, 4 * U, 5 * U);");
    EXPECT_EQ(draw(false).size(), 1u);
    evaluate("e.set_grabbed(false, 0, 0); e.set_z(0);");
    EXPECT_EQ(draw(false).size(), 2u) << "on the floor it casts one again";
}

TEST_F(EntityDrawingTest, AClipHangingUnderAnotherIsPlacedByTheGrabOffsets) {
    evaluate("e.set_grabbed(true, 4 * U, 5 * U); ::parent <- Clip(); parent.set_scale(-2, 4);"
             "parent.set_position(30, 40); parent.add_child(e.get_clip()); return null;");
    const std::vector<DrawEntry>& main = draw(false);
    EXPECT_TRUE(main.empty()) << "its parent draws it";
    clip::Clip& shown = *entity->clips().clip();
    EXPECT_EQ(shown.position(), (Vec2{4, 5}));
    EXPECT_EQ(shown.scale(), (Vec2{-1, 0.25f})) << "the parent's scale undone, mirrored";
    // The light follows the clip: the clip's own transform then its
    // parent's, of the mirrored offsets (-4, 5), plus the light's y offset.
    EXPECT_EQ(entity->clips().light_clip()->position(), (Vec2{14, 71}));
}

}  // namespace
}  // namespace me::test
