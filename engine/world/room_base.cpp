#include "world/room_base.h"

#include <algorithm>

#include "core/fatal_error.h"
#include "core/log.h"
#include "core/log_format.h"
#include "network/native_state_skipper.h"
#include "network/state_buffer.h"
#include "network/state_manager.h"
#include "world/entity_base.h"
#include "world/entity_drawing.h"
#include "world/native_state_io.h"
#include "world/room_surroundings.h"

namespace me {

const ClassRecord RoomBase::kClassRecord{"RoomBase", &StateObject::kClassRecord};

namespace {

const NativeStateSkipper g_skipper(RoomBase::kClassRecord, &RoomBase::skip_native_state);

}  // namespace

RoomBase::~RoomBase() {
    for (EntityBase* entity : m_entities) {
        if (entity == nullptr)
            continue;
        entity->set_room(nullptr);
        entity->release();
    }
}

void RoomBase::tick(bool pause_static_clips, int32_t tick_number) {
    m_scenery.tick(pause_static_clips, tick_number, RoomSurroundings(*this));
    tick_entities();
}

void RoomBase::render(const View2d& view, RoomRenderer& renderer) {
    const Sprite* white = m_scenery.white();
    const bool outlines = RoomScenery::draws_collisions();
    for (EntityBase* entity : m_entities)
        if (entity != nullptr)
            EntityDrawing(*entity, *this, m_scenery.draw_lists()).add_entries(white, outlines);
    m_scenery.render(view, renderer, RoomSurroundings(*this), m_static_collisions, m_ambient_color);
}

void RoomBase::tick_entities() {
    size_t index = 0;
    while (index < m_entities.size()) {
        EntityBase* entity = m_entities[index];
        if (entity != nullptr) {
            const ResourceRef<EntityBase> held(entity);
            entity->tick();
        }
        if (m_entities[index] == nullptr)
            m_entities.erase(m_entities.begin() + static_cast<std::ptrdiff_t>(index));
        else
            ++index;
    }
}

template <class Visit>
void RoomBase::visit_near(const CollisionBounds& area, Visit visit) const {
    if (m_broad_phase && m_grid.candidates(area, m_nearby)) {
        for (EntityBase* entity : m_nearby)
            if (!visit(*entity))
                return;
        return;
    }
    for (EntityBase* entity : m_entities)
        if (entity != nullptr && !visit(*entity))
            return;
}

void RoomBase::add_entity(EntityBase& entity) {
    entity.acquire();
    m_entities.push_back(&entity);
    if (m_broad_phase)
        m_grid.insert(entity);
    entity.set_room(this);
    entity.callbacks().call(entity, WorldCallback::AddedToRoom, {script_instance_of(this)});
    m_callbacks.call(*this, WorldCallback::EntityAdded, {script_instance_of(&entity)});
}

void RoomBase::remove_entity(EntityBase& entity) {
    const auto slot = std::find(m_entities.begin(), m_entities.end(), &entity);
    if (slot == m_entities.end())
        return;
    *slot = nullptr;
    m_grid.erase(entity);
    // The room's reference goes only after the callbacks, which see the
    // entity alive whoever else holds it.
    const ResourceRef<EntityBase> held = ResourceRef<EntityBase>::adopt(&entity);
    entity.set_room(nullptr);
    entity.callbacks().call(entity, WorldCallback::RemovedFromRoom, {script_instance_of(this)});
    m_callbacks.call(*this, WorldCallback::EntityRemoved, {script_instance_of(&entity)});
}

size_t RoomBase::entity_count() const {
    return static_cast<size_t>(std::count_if(m_entities.begin(), m_entities.end(),
                                             [](const EntityBase* entity) { return entity != nullptr; }));
}

std::vector<EntityBase*> RoomBase::entities() const {
    std::vector<EntityBase*> live;
    live.reserve(m_entities.size());
    for (EntityBase* entity : m_entities)
        if (entity != nullptr)
            live.push_back(entity);
    return live;
}

void RoomBase::add_static_box_collision(FixedVec2 min, FixedVec2 max, Fixed height) {
    add_static_skewed_box_collision(min, max, 0, height);
    m_static_collisions.back().m_type = CollisionType::Box;
    m_static_collisions.back().place({});
}

void RoomBase::add_static_skewed_box_collision(FixedVec2 min, FixedVec2 max, Fixed skew, Fixed height) {
    Collision collision;
    collision.m_type = CollisionType::SkewedBox;
    collision.m_x = min.x;
    collision.m_y = min.y;
    collision.m_width = fixed_sub(max.x, min.x);
    collision.m_depth = fixed_sub(max.y, min.y);
    collision.m_skew = skew;
    collision.m_height = height;
    collision.place({});
    m_static_collisions.push_back(collision);
}

Fixed RoomBase::ground_height(FixedVec2 point, uint16_t mask) const {
    Fixed height = kNoGroundHeight;
    if ((mask & EntityBase::kStaticCollisionBit) != 0) {
        for (const Collision& collision : m_static_collisions)
            if (collision.has_shape() && collision.has_top() && collision.m_bounds.contains(point))
                height = std::max(height, collision.m_height);
    }
    visit_near({point.x, point.y, point.x, point.y}, [&](const EntityBase& entity) {
        if (entity.is_obstacle_for(mask) && entity.collision().has_top() && entity.collision().m_bounds.contains(point))
            height = std::max(height, fixed_add(entity.z(), entity.collision().m_height));
        return true;
    });
    return height;
}

Fixed RoomBase::highest_top_under(const CollisionBounds& footprint, uint16_t mask, Fixed start, Fixed ceiling,
                                  const EntityBase* excluded) const {
    Fixed height = start;
    const auto raise = [&](Fixed top) {
        if (top <= ceiling)
            height = std::max(height, top);
    };
    if ((mask & EntityBase::kStaticCollisionBit) != 0) {
        for (const Collision& collision : m_static_collisions)
            if (collision.has_shape() && collision.has_top() && collision.m_bounds.overlaps(footprint))
                raise(collision.m_height);
    }
    visit_near(footprint, [&](const EntityBase& other) {
        if (&other != excluded && other.is_obstacle_for(mask) && other.collision().has_top() &&
            other.collision().m_bounds.overlaps(footprint))
            raise(fixed_add(other.z(), other.collision().m_height));
        return true;
    });
    return height;
}

bool RoomBase::has_surface_at(const EntityBase& entity, Fixed z) const {
    const CollisionBounds footprint = entity.footprint();
    const uint16_t mask = entity.collision_mask();
    if ((mask & EntityBase::kStaticCollisionBit) != 0) {
        for (const Collision& collision : m_static_collisions)
            if (collision.has_shape() && collision.has_top() && collision.m_height == z &&
                collision.m_bounds.overlaps(footprint))
                return true;
    }
    bool found = false;
    visit_near(footprint, [&](const EntityBase& other) {
        found = &other != &entity && other.is_obstacle_for(mask) && other.collision().has_top() &&
                fixed_add(other.z(), other.collision().m_height) == z && other.collision().m_bounds.overlaps(footprint);
        return !found;
    });
    return found;
}

FixedVec2 RoomBase::push_apart_vector(const EntityBase& entity) const {
    const auto radius = [](const CollisionBounds& b) {
        return static_cast<Fixed>((static_cast<int64_t>(fixed_sub(b.max_x, b.min_x)) + fixed_sub(b.max_y, b.min_y)) / 2);
    };
    if (!entity.has_collision())
        return {};
    const Fixed own_radius = radius(entity.collision().m_bounds);
    if (own_radius == 0)
        return {};
    FixedVec2 sum;
    int32_t count = 0;
    for (const EntityBase* other : m_entities) {
        if (other == nullptr || other == &entity || !other->has_collision())
            continue;
        const Fixed other_radius = radius(other->collision().m_bounds);
        if (other_radius == 0)
            continue;
        const FixedVec2 away = entity.position() - other->position();
        const Fixed distance = fixed_length(away);
        if (distance >= fixed_add(other_radius, own_radius))
            continue;
        const Fixed overlap_ratio = fixed_div(fixed_sub(distance, other_radius), own_radius).value_or(0);
        const Fixed weight = fixed_sub(FIXED_ONE, std::max(overlap_ratio, 0));
        const FixedVec2 direction = fixed_normalize(away);
        sum = sum + FixedVec2{fixed_mul(direction.x, weight), fixed_mul(direction.y, weight)};
        ++count;
    }
    if (count == 0)
        return {};
    return {fixed_mul(sum.x / count, kPushApartScale), fixed_mul(sum.y / count, kPushApartScale)};
}

void RoomBase::sweep_past(const EntityBase* mover, CollisionSweep& sweep) const {
    if ((sweep.mask() & EntityBase::kStaticCollisionBit) != 0) {
        for (const Collision& collision : m_static_collisions)
            if (collision.has_shape() && (!collision.has_top() || collision.m_height > sweep.z()))
                sweep.test_static(collision);
    }
    visit_near(sweep.swept_bounds(), [&](EntityBase& other) {
        if (!sweep.is_moving())
            return false;
        if (&other == mover || !other.is_obstacle_for(sweep.mask()))
            return true;
        const Collision& shape = other.collision();
        if (!shape.has_top() || fixed_add(other.z(), shape.m_height) > sweep.z())
            sweep.test_entity(shape, other);
        return true;
    });
}

void RoomBase::entity_bounds_changed(EntityBase& entity) {
    if (m_broad_phase)
        m_grid.update(entity);
}

void RoomBase::set_broad_phase(bool enabled) {
    m_broad_phase = enabled;
    m_grid.rebuild(enabled ? m_entities : std::vector<EntityBase*>());
}


void RoomBase::visit_state(NativeStateIo& io) {
    if (m_entities.size() > kMaxEntities) {
        const std::string message = format_message("Invalid number of entities (%1) in a room", m_entities.size());
        log_error(message);
        fatal_error(message);
    }
    uint16_t count = static_cast<uint16_t>(m_entities.size());
    io.begin_list("RoomBase::m_entities", count);
    std::vector<EntityBase*> read;
    if (io.is_reading())
        read.reserve(count);
    for (uint16_t i = 0; i < count && io.ok(); ++i) {
        StateObject* object = io.is_reading() ? nullptr : m_entities[i];
        io.list_ref(object, EntityBase::kClassRecord);
        if (io.is_reading())
            read.push_back(static_cast<EntityBase*>(object));
    }
    io.end_list();
    io.u8("RoomBase::m_ambient_color.r", m_ambient_color[0]);
    io.u8("RoomBase::m_ambient_color.g", m_ambient_color[1]);
    io.u8("RoomBase::m_ambient_color.b", m_ambient_color[2]);
    io.u8("RoomBase::m_ambient_color.a", m_ambient_color[3]);
    io.boolean("RoomBase::m_is_jng_room", m_is_jng_room);
    if (io.mode() != NativeStateIo::Mode::Read || !io.ok())
        return;
    for (EntityBase* entity : read)
        if (entity != nullptr)
            entity->acquire();
    for (EntityBase* entity : m_entities)
        if (entity != nullptr)
            entity->release();
    m_entities = std::move(read);
    if (m_broad_phase)
        m_grid.rebuild(m_entities);
}

void RoomBase::dump_native_state(StateDumpWriter& dump) const {
    NativeStateIo io = NativeStateIo::dumper(dump);
    // Dumping and writing only read the members they are handed.
    const_cast<RoomBase*>(this)->visit_state(io);
}

void RoomBase::save_native_state(StateBuffer& buffer) const {
    NativeStateIo io = NativeStateIo::writer(buffer);
    const_cast<RoomBase*>(this)->visit_state(io);
}

bool RoomBase::load_native_state(StateBuffer& buffer) {
    std::span<StateObject* const> objects;
    if (g_state_manager != nullptr)
        objects = g_state_manager->objects();
    NativeStateIo io = NativeStateIo::reader(buffer, objects);
    visit_state(io);
    return io.ok();
}

bool RoomBase::skip_native_state(StateBuffer& buffer, uint32_t object_count, const StateTranscript* transcript) {
    NativeStateIo io = NativeStateIo::skipper(buffer, object_count, transcript);
    RoomBase scratch;
    scratch.visit_state(io);
    return io.ok();
}

void RoomBase::before_dynamic_destroy() {
    for (size_t i = m_entities.size(); i-- > 0;) {
        EntityBase* entity = i < m_entities.size() ? m_entities[i] : nullptr;
        if (entity == nullptr || g_state_manager == nullptr || !entity->is_registered())
            continue;
        if (!g_state_manager->class_info(entity->class_index()).is_static)
            remove_entity(*entity);
    }
    std::erase(m_entities, nullptr);
}

}  // namespace me
