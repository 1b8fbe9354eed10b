#include "world/room_draw_list.h"

#include "clip/clip_object.h"
#include "core/stable_sort.h"
#include "resources/sprite_drawing.h"

namespace me {

namespace {

constexpr Fixed kDepthBand = 110 * FIXED_ONE;
constexpr std::array<int32_t, kRenderableTypeCount> kTypeOffsets{0, 1, 14, 15};

// Rounds toward negative infinity, so a band boundary is the same step on
// both sides of y = 0.
int32_t band_of(Fixed y) {
    const int32_t band = y / kDepthBand;
    return y % kDepthBand < 0 ? band - 1 : band;
}

int32_t height_class(Fixed z) {
    if (z < -kDepthBand)
        return 0;
    return z < 0 ? 1 : 2;
}

bool draws_before(const DrawEntry& a, const DrawEntry& b) {
    if (a.layer != b.layer)
        return a.layer < b.layer;
    if (a.key != b.key)
        return a.key < b.key;
    return a.y < b.y;
}

}  // namespace

int32_t depth_key(int32_t layer, Fixed y, Fixed z, int32_t renderable_type) {
    if (layer != kDepthDrawLayer)
        return 0;
    const int32_t offset = is_valid_renderable_type(renderable_type) ? kTypeOffsets[renderable_type] : 0;
    return (height_class(z) + band_of(y) * 3) * 4 + offset;
}

void DrawEntry::draw(QuadBatch& batch) const {
    if (clip != nullptr)
        clip->draw_tree(batch, nullptr);
    else if (sprite != nullptr)
        draw_sprite(batch, *sprite, transform, color);
}

DrawEntry solid_rectangle(int32_t layer, const Sprite& white, Vec2 min, Vec2 max, Color color) {
    DrawEntry entry;
    entry.layer = layer;
    entry.y = max.y;
    entry.sprite = &white;
    entry.transform = {max.x - min.x, 0.0f, 0.0f, max.y - min.y, min.x, min.y};
    entry.color = color;
    return entry;
}

void add_outline(RoomDrawLists& lists, int32_t layer, const Sprite& white, Vec2 min, Vec2 max, float thickness,
                 Color color) {
    lists.add(solid_rectangle(layer, white, min, {max.x, min.y + thickness}, color));
    lists.add(solid_rectangle(layer, white, {min.x, max.y - thickness}, max, color));
    lists.add(solid_rectangle(layer, white, {min.x, min.y + thickness}, {min.x + thickness, max.y - thickness}, color));
    lists.add(solid_rectangle(layer, white, {max.x - thickness, min.y + thickness}, {max.x, max.y - thickness}, color));
}

RoomDrawLists::List RoomDrawLists::list_for_layer(int32_t layer) {
    if (layer == kLightDrawLayer)
        return kLight;
    return layer == kSecondDrawLayer ? kSecond : kMain;
}

bool RoomDrawLists::sort() {
    bool merged = false;
    for (std::vector<DrawEntry>& list : m_lists)
        merged |= stable_sort_with_scratch(list, m_scratch, kInsertionSortLimit, draws_before);
    return merged;
}

void RoomDrawLists::clear() {
    for (std::vector<DrawEntry>& list : m_lists)
        list.clear();
}

}  // namespace me
