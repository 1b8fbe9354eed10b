#include "world/entity_grid.h"

#include <algorithm>

#include "world/entity_base.h"

namespace me {

namespace {

void remove_entry(std::vector<std::pair<uint64_t, EntityBase*>>& entries, const EntityBase& entity) {
    std::erase_if(entries, [&entity](const auto& entry) { return entry.second == &entity; });
}

}  // namespace

void EntityGrid::insert(EntityBase& entity) {
    Member& member = m_members[&entity];
    member.order = m_next_order++;
    place(entity, member);
}

void EntityGrid::update(EntityBase& entity) {
    const auto found = m_members.find(&entity);
    if (found == m_members.end())
        return;
    Member& member = found->second;
    if (member.placement == Placement::Cells && entity.has_collision() &&
        range_of(entity.collision().m_bounds) == member.range)
        return;
    unplace(entity, member);
    place(entity, member);
}

void EntityGrid::erase(EntityBase& entity) {
    const auto found = m_members.find(&entity);
    if (found == m_members.end())
        return;
    unplace(entity, found->second);
    m_members.erase(found);
}

void EntityGrid::rebuild(const std::vector<EntityBase*>& entities) {
    m_members.clear();
    m_cells.clear();
    m_everywhere.clear();
    m_next_order = 0;
    for (EntityBase* entity : entities)
        if (entity != nullptr)
            insert(*entity);
}

bool EntityGrid::candidates(const CollisionBounds& area, std::vector<EntityBase*>& out) const {
    out.clear();
    const CellRange range = range_of(area);
    if (range.count() > kMaxCells)
        return false;
    std::vector<Entry>& found = m_found;
    found.assign(m_everywhere.begin(), m_everywhere.end());
    for (int32_t y = range.y0; y <= range.y1; ++y) {
        for (int32_t x = range.x0; x <= range.x1; ++x) {
            const auto cell = m_cells.find(cell_key(x, y));
            if (cell != m_cells.end())
                found.insert(found.end(), cell->second.begin(), cell->second.end());
        }
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    for (const Entry& entry : found)
        out.push_back(entry.second);
    return true;
}

EntityGrid::CellRange EntityGrid::range_of(const CollisionBounds& bounds) {
    // Inclusive of the max edge's cell: bounds that only touch share a cell.
    const auto lo = [](Fixed a, Fixed b) { return std::min(a, b) >> kCellShift; };
    const auto hi = [](Fixed a, Fixed b) { return std::max(a, b) >> kCellShift; };
    return {lo(bounds.min_x, bounds.max_x), lo(bounds.min_y, bounds.max_y), hi(bounds.min_x, bounds.max_x),
            hi(bounds.min_y, bounds.max_y)};
}

uint64_t EntityGrid::cell_key(int32_t x, int32_t y) {
    return (uint64_t{static_cast<uint32_t>(x)} << 32) | static_cast<uint32_t>(y);
}

void EntityGrid::place(EntityBase& entity, Member& member) {
    if (!entity.has_collision()) {
        member.placement = Placement::None;
        return;
    }
    member.range = range_of(entity.collision().m_bounds);
    if (member.range.count() > kMaxCells) {
        member.placement = Placement::Everywhere;
        m_everywhere.emplace_back(member.order, &entity);
        return;
    }
    member.placement = Placement::Cells;
    for (int32_t y = member.range.y0; y <= member.range.y1; ++y)
        for (int32_t x = member.range.x0; x <= member.range.x1; ++x)
            m_cells[cell_key(x, y)].emplace_back(member.order, &entity);
}

void EntityGrid::unplace(EntityBase& entity, Member& member) {
    if (member.placement == Placement::Everywhere)
        remove_entry(m_everywhere, entity);
    if (member.placement == Placement::Cells) {
        for (int32_t y = member.range.y0; y <= member.range.y1; ++y) {
            for (int32_t x = member.range.x0; x <= member.range.x1; ++x) {
                const auto cell = m_cells.find(cell_key(x, y));
                remove_entry(cell->second, entity);
                if (cell->second.empty())
                    m_cells.erase(cell);
            }
        }
    }
    member.placement = Placement::None;
}

}  // namespace me
