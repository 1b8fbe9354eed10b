#pragma once

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "world/collision.h"

namespace me {

class EntityBase;

// A uniform grid over the collision bounds of a room's entities, so that a
// query looks at the entities near it rather than at all of them. It only
// ever narrows the set of entities a query considers: candidates come back
// in the room's list order, and each query applies the same tests to them
// as it would to the whole list, so results and callbacks do not change.
// Hash maps serve lookups only; nothing depends on their order.
class EntityGrid {
public:
    // 64 units per cell.
    static constexpr int kCellShift = 22;
    // Entities spanning more cells, and queries covering more, skip the grid.
    static constexpr int64_t kMaxCells = 64;

    // The entity joins at the end of the room's list order.
    void insert(EntityBase& entity);
    // Follows a change of the entity's bounds or collision; an entity that
    // is not a member is left out.
    void update(EntityBase& entity);
    void erase(EntityBase& entity);
    // Members again, in list order.
    void rebuild(const std::vector<EntityBase*>& entities);

    // The members whose bounds may meet the area (touching included), in
    // list order; false when the area is too large to be worth it and the
    // caller should look at every entity.
    bool candidates(const CollisionBounds& area, std::vector<EntityBase*>& out) const;

private:
    struct CellRange {
        int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        friend bool operator==(const CellRange&, const CellRange&) = default;
        int64_t count() const { return (int64_t{x1} - x0 + 1) * (int64_t{y1} - y0 + 1); }
    };
    enum class Placement : uint8_t { None, Cells, Everywhere };
    struct Member {
        uint64_t order = 0;
        Placement placement = Placement::None;
        CellRange range;
    };
    using Entry = std::pair<uint64_t, EntityBase*>;

    static CellRange range_of(const CollisionBounds& bounds);
    static uint64_t cell_key(int32_t x, int32_t y);
    void place(EntityBase& entity, Member& member);
    void unplace(EntityBase& entity, Member& member);

    std::unordered_map<const EntityBase*, Member> m_members;
    std::unordered_map<uint64_t, std::vector<Entry>> m_cells;
    // Entities too large for cells: candidates of every query.
    std::vector<Entry> m_everywhere;
    uint64_t m_next_order = 0;
    // Scratch for queries, kept between them.
    mutable std::vector<Entry> m_found;
};

}  // namespace me
