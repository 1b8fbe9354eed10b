#include "world/debug_draw_areas.h"

#include <algorithm>

#include "world/room_draw_list.h"

namespace me {

void DebugDrawAreas::tick() {
    for (DebugDrawArea& area : m_areas)
        if (area.ticks_left > 0)
            --area.ticks_left;
    std::erase_if(m_areas, [](const DebugDrawArea& area) { return area.ticks_left <= 0; });
}

void DebugDrawAreas::add_draw_entries(RoomDrawLists& lists, const Sprite& white) const {
    for (const DebugDrawArea& area : m_areas) {
        const Vec2 min{fixed_to_float(area.min.x), fixed_to_float(fixed_sub(area.min.y, area.top))};
        const Vec2 max{fixed_to_float(area.max.x), fixed_to_float(fixed_sub(area.max.y, area.bottom))};
        lists.add(solid_rectangle(kDebugDrawLayer, white, min, max, premultiplied(area.color)));
    }
}

}  // namespace me
