#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "world/entity_shadow.h"
#include "world/hit_shake.h"
#include "world/room_draw_list.h"

namespace me {
namespace {

constexpr Fixed kUnit = FIXED_ONE;

struct DepthKeyCase {
    Fixed y;
    Fixed z;
    int32_t type;
    int32_t key;
};

TEST(DepthKey, BandsOfGroundYHeightClassesAndTypeOffsets) {
    const DepthKeyCase cases[] = {
        {0, 0, 0, 8},
        {0, 0, 1, 9},
        {0, 0, 2, 22},
        {0, 0, 3, 23},
        {110 * kUnit - 1, 0, 3, 23},          // last raw unit of the first band
        {110 * kUnit, 0, 0, 20},              // next band: (2 + 3) * 4
        {-1, 0, 0, -4},                       // just below 0 is band -1: (2 - 3) * 4
        {-110 * kUnit, 0, 0, -4},             // -110.0 still band -1
        {-110 * kUnit - 1, 0, 0, -16},        // band -2: (2 - 6) * 4
        {0, -1, 0, 4},                        // just below the ground
        {0, -110 * kUnit, 0, 4},              // -110.0 is not below -110.0
        {0, -110 * kUnit - 1, 0, 0},
        {0, -999 * kUnit, 1, 1},
        {250 * kUnit, 30 * kUnit, 2, 46},     // (2 + 2 * 3) * 4 + 14
        {-250 * kUnit, -50 * kUnit, 3, -17},  // (1 - 3 * 3) * 4 + 15
        {0, 0, 4, 8},                         // outside the table: offset of type 0
        {0, 0, -1, 8},
    };
    for (const DepthKeyCase& c : cases)
        EXPECT_EQ(depth_key(kDepthDrawLayer, c.y, c.z, c.type), c.key) << "y " << c.y << " z " << c.z << " type " << c.type;
}

TEST(DepthKey, OnlyTheDepthLayerIsKeyed) {
    for (int32_t layer : {0, 3, 6, 8, 9, 10, -7})
        EXPECT_EQ(depth_key(layer, 500 * kUnit, 20 * kUnit, 3), 0) << layer;
}

DrawEntry entry_of(int32_t layer, int32_t key, float y, float tag) {
    DrawEntry entry;
    entry.layer = layer;
    entry.key = key;
    entry.y = y;
    entry.ground_y = tag;
    return entry;
}

TEST(DrawLists, LayersChooseTheList) {
    RoomDrawLists lists;
    for (int32_t layer : {0, 3, 7, 9, 10, 3, 9, 9})
        lists.add(entry_of(layer, 0, 0.0f, 0.0f));
    EXPECT_EQ(lists.list(RoomDrawLists::kMain).size(), 3u);
    EXPECT_EQ(lists.list(RoomDrawLists::kSecond).size(), 2u);
    EXPECT_EQ(lists.list(RoomDrawLists::kLight).size(), 3u);
    lists.clear();
    EXPECT_TRUE(lists.list(RoomDrawLists::kLight).empty());
}

// Many ties, so that an unstable sort would show; the entry's position in
// the input rides in its ground_y.
std::vector<DrawEntry> tied_entries(size_t count) {
    std::vector<DrawEntry> entries;
    for (size_t i = 0; i < count; ++i) {
        const auto n = static_cast<int32_t>(i * 7919 % 13);
        entries.push_back(entry_of(n % 3 == 0 ? 7 : 5, n % 2, static_cast<float>(n % 4), static_cast<float>(i)));
    }
    return entries;
}

TEST(DrawLists, SortIsStableByLayerKeyAndYOnBothSidesOfTheSwitch) {
    for (size_t count : {0u, 1u, 2u, 31u, 32u, 33u, 200u}) {
        const std::vector<DrawEntry> input = tied_entries(count);
        RoomDrawLists lists;
        for (const DrawEntry& entry : input)
            lists.add(entry);
        EXPECT_EQ(lists.sort(), count > RoomDrawLists::kInsertionSortLimit) << count;
        std::vector<DrawEntry> expected = input;
        std::stable_sort(expected.begin(), expected.end(), [](const DrawEntry& a, const DrawEntry& b) {
            return std::tie(a.layer, a.key, a.y) < std::tie(b.layer, b.key, b.y);
        });
        const std::vector<DrawEntry>& sorted = lists.list(RoomDrawLists::kMain);
        ASSERT_EQ(sorted.size(), expected.size());
        for (size_t i = 0; i < sorted.size(); ++i)
            EXPECT_EQ(sorted[i].ground_y, expected[i].ground_y) << count << " entries, place " << i;
    }
}

TEST(HitShake, CurveThroughItsKeysAndBetween) {
    struct Case {
        int32_t timeout;
        bool small;
        Fixed offset;
    };
    const Case cases[] = {
        {12, false, -40 * kUnit}, {11, false, -30 * kUnit}, {10, false, -20 * kUnit}, {8, false, 0},
        {6, false, -5 * kUnit},   {4, false, -10 * kUnit},  {1, false, -kUnit * 5 / 2}, {0, false, 0},
        {-3, false, 0},           {13, false, 0},           {12, true, -20 * kUnit},   {8, true, 0},
        {4, true, -5 * kUnit},    {2, true, -kUnit * 5 / 2}, {0, true, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hit_shake_offset(c.timeout, c.small), c.offset) << c.timeout << (c.small ? " small" : "");
}

TEST(Shadow, ShrinksWithHeightDownToATenth) {
    struct Case {
        Fixed z;
        Fixed ground;
        bool keep_size;
        float scale;
    };
    const Case cases[] = {
        {0, 0, false, 1.0f},
        {400 * kUnit, 0, false, 0.5f},
        {350 * kUnit, -50 * kUnit, false, 0.5f},
        {720 * kUnit, 0, false, 0.1f},
        {5000 * kUnit, 0, false, 0.1f},
        {400 * kUnit, 0, true, 1.0f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(shadow_scale(c.z, c.ground, c.keep_size), c.scale, 1e-6f) << c.z;
    EXPECT_GE(shadow_scale(720 * kUnit, 0, false), 0.1f);
}

TEST(Shadow, SortsAsTypeTwoAtTheGroundHeight) {
    EXPECT_EQ(shadow_depth_key(250 * kUnit, 0), 46);
    EXPECT_EQ(shadow_depth_key(250 * kUnit, -50 * kUnit), 42);
    EXPECT_EQ(shadow_depth_key(250 * kUnit, -200 * kUnit), 38);
    EXPECT_EQ(shadow_depth_key(-1, 0), 10);
}

}  // namespace
}  // namespace me
