#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/color.h"
#include "core/float_vector.h"
#include "core/fixed.h"
#include "core/matrix2d.h"

namespace me {
class QuadBatch;
class Sprite;
namespace clip {
class ClipObject;
}
}  // namespace me

namespace me {

class RoomDrawLists;

// Layers with a meaning to the room: lights go to the light pass, layer 3 to
// the second list, debug shapes above everything; only the depth layer is
// ordered by depth within itself.
inline constexpr int32_t kSecondDrawLayer = 3;
inline constexpr int32_t kDepthDrawLayer = 7;
inline constexpr int32_t kLightDrawLayer = 9;
inline constexpr int32_t kDebugDrawLayer = 10;

// Renderable types index the depth offsets; shadows draw as type 2.
inline constexpr int32_t kRenderableTypeCount = 4;
inline constexpr int32_t kShadowRenderableType = 2;
constexpr bool is_valid_renderable_type(int64_t type) { return type >= 0 && type < kRenderableTypeCount; }

// The order key within the depth layer: bands of 110 units of ground y, each
// split by height (below -110, below 0, above) and by renderable type. Other
// layers have key 0. A type outside 0-3 (refused where types are set) takes
// the offset of type 0.
int32_t depth_key(int32_t layer, Fixed y, Fixed z, int32_t renderable_type);

// Scripts give colour components as 0-255; drawing takes 0-1.
inline constexpr float kColorByteScale = 0.003921569f;

// Drawing takes colours with their alpha multiplied in.
constexpr Color premultiplied(Color color) {
    return {color.red * color.alpha, color.green * color.alpha, color.blue * color.alpha, color.alpha};
}

// One thing the room draws: a clip tree (placed and coloured beforehand) or
// a sprite under a transform and a premultiplied colour. A scissored entry is
// cut at the screen row of its ground line.
struct DrawEntry {
    int32_t layer = 0;
    int32_t key = 0;
    float y = 0.0f;
    clip::ClipObject* clip = nullptr;
    const Sprite* sprite = nullptr;
    Matrix2d transform;
    Color color;
    bool scissor = false;
    float ground_y = 0.0f;

    void draw(QuadBatch& batch) const;
};

// An axis-aligned rectangle filled with a colour (premultiplied), drawn with
// the one-pixel white sprite stretched over it.
DrawEntry solid_rectangle(int32_t layer, const Sprite& white, Vec2 min, Vec2 max, Color color);
// Its outline: four bars of the given thickness inside the rectangle.
void add_outline(RoomDrawLists& lists, int32_t layer, const Sprite& white, Vec2 min, Vec2 max, float thickness,
                 Color color);

// The three lists a room rebuilds each frame. Entries point at things the
// room and its entities hold, so the lists are drawn and cleared within the
// frame that filled them.
class RoomDrawLists {
public:
    static constexpr size_t kInsertionSortLimit = 32;
    enum List { kMain, kSecond, kLight, kListCount };

    static List list_for_layer(int32_t layer);

    void add(const DrawEntry& entry) { m_lists[list_for_layer(entry.layer)].push_back(entry); }
    // Ascending by layer, key and y; equal entries keep the order they were
    // added in. True when a list was long enough for the merge sort.
    bool sort();
    const std::vector<DrawEntry>& list(List which) const { return m_lists[which]; }
    void clear();

private:
    std::array<std::vector<DrawEntry>, kListCount> m_lists;
    std::vector<DrawEntry> m_scratch;
};

}  // namespace me
