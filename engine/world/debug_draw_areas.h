#pragma once

#include <cstdint>
#include <vector>

#include "core/color.h"
#include "core/fixed_vec2.h"

namespace me {

class RoomDrawLists;
class Sprite;

// A box a script wants to see for a few ticks: its ground rectangle and the
// heights it spans, shown as one filled rectangle above everything else.
struct DebugDrawArea {
    FixedVec2 min;
    FixedVec2 max;
    Fixed bottom = 0;
    Fixed top = 0;
    int32_t ticks_left = 0;
    // Not premultiplied.
    Color color;
};

class DebugDrawAreas {
public:
    void add(const DebugDrawArea& area) { m_areas.push_back(area); }
    size_t count() const { return m_areas.size(); }
    const DebugDrawArea& area(size_t index) const { return m_areas[index]; }

    // Counts one tick off every area and removes those with none left, the
    // others keeping their order. An area given no ticks at all goes at the
    // first tick too, so that a script adding one every frame cannot pile
    // them up.
    void tick();
    void add_draw_entries(RoomDrawLists& lists, const Sprite& white) const;

private:
    std::vector<DebugDrawArea> m_areas;
};

}  // namespace me
