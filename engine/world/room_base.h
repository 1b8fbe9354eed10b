#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "core/fixed.h"
#include "core/fixed_vec2.h"
#include "network/state_object.h"
#include "world/collision.h"
#include "world/collision_sweep.h"
#include "world/entity_base.h"
#include "world/entity_grid.h"
#include "world/room_scenery.h"
#include "world/world_callbacks.h"

namespace me {

class EntityBase;
class NativeStateIo;
class StateTranscript;
class RoomRenderer;
class View2d;

// A cell of the game world: the entities in it, in the order they are
// ticked, the static geometry they collide with, and the queries their
// motion asks (ground height, surfaces, sweeps, push-apart). Scripts derive
// their rooms from it and tick it once per game tick.
class RoomBase : public StateObject {
public:
    static const ClassRecord kClassRecord;
    // The saved entity count is 16 bits.
    static constexpr size_t kMaxEntities = 65535;
    // The push-apart strength, 6.6666565.
    static constexpr Fixed kPushApartScale = 436906;

    RoomBase() = default;
    ~RoomBase() override;
    const ClassRecord& class_record() const override { return kClassRecord; }

    void dump_native_state(StateDumpWriter& dump) const override;
    void save_native_state(StateBuffer& buffer) const override;
    // Removes every entity of a dynamic class, last to first.
    void before_dynamic_destroy() override;
    bool load_native_state(StateBuffer& buffer) override;
    static bool skip_native_state(StateBuffer& buffer, uint32_t object_count, const StateTranscript* transcript);

    void tick(bool pause_static_clips, int32_t tick_number);

    // Entities. The room holds a reference on each; removing one empties its
    // slot, which the tick loop closes when it gets there.
    void add_entity(EntityBase& entity);
    void remove_entity(EntityBase& entity);
    size_t entity_count() const;
    // Entities in tick order, without the empty slots.
    std::vector<EntityBase*> entities() const;

    // Static geometry, placed at the room's origin.
    void add_static_box_collision(FixedVec2 min, FixedVec2 max, Fixed height);
    void add_static_skewed_box_collision(FixedVec2 min, FixedVec2 max, Fixed skew, Fixed height);
    std::span<const Collision> static_collisions() const { return m_static_collisions; }

    // Queries of the physical model.
    Fixed ground_height(FixedVec2 point, uint16_t mask) const;
    // The highest top (at least start, at most ceiling) of the surfaces that
    // the mask selects under the entity's footprint, the entity excluded.
    Fixed highest_top_under(const EntityBase& entity, uint16_t mask, Fixed start, Fixed ceiling) const {
        return highest_top_under(entity.footprint(), mask, start, ceiling, &entity);
    }
    // The same under any footprint, leaving out one entity (or none).
    Fixed highest_top_under(const CollisionBounds& footprint, uint16_t mask, Fixed start, Fixed ceiling,
                            const EntityBase* excluded) const;
    // Whether a surface that the entity's mask selects has its top exactly
    // at z under the entity's footprint.
    bool has_surface_at(const EntityBase& entity, Fixed z) const;
    FixedVec2 push_apart_vector(const EntityBase& entity) const;
    // Statics first (when the mask asks for them), then the other entities
    // in list order while the mover still moves.
    void sweep(const EntityBase& mover, CollisionSweep& sweep) const { sweep_past(&mover, sweep); }
    // The same for a mover that is no entity of the room (null) or is one.
    void sweep_past(const EntityBase* mover, CollisionSweep& sweep) const;

    // The entity's collision bounds or shape changed.
    void entity_bounds_changed(EntityBase& entity);
    // With the broad phase off every query looks at every entity; the
    // results are the same either way, which tests and benchmarks compare.
    void set_broad_phase(bool enabled);

    void set_ambient_color(const std::array<uint8_t, 4>& color) { m_ambient_color = color; }
    const std::array<uint8_t, 4>& ambient_color() const { return m_ambient_color; }
    void set_jng_room() { m_is_jng_room = true; }
    bool is_jng_room() const { return m_is_jng_room; }

    WorldCallbacks& callbacks() { return m_callbacks; }

    // What the room shows besides its entities; the simulation never reads it.
    RoomScenery& scenery() { return m_scenery; }
    // Draws the entities and the scenery into the view.
    void render(const View2d& view, RoomRenderer& renderer);

private:
    void visit_state(NativeStateIo& io);
    void tick_entities();
    // Calls visit for the entities (in list order, never null) that may
    // touch the area, until it returns false.
    template <class Visit>
    void visit_near(const CollisionBounds& area, Visit visit) const;

    std::vector<Collision> m_static_collisions;
    // Slots are null between a removal and the tick loop reaching them.
    std::vector<EntityBase*> m_entities;
    EntityGrid m_grid;
    bool m_broad_phase = true;
    // Scratch for one query at a time; queries never nest.
    mutable std::vector<EntityBase*> m_nearby;
    std::array<uint8_t, 4> m_ambient_color{255, 255, 255, 255};
    bool m_is_jng_room = false;
    WorldCallbacks m_callbacks;
    RoomScenery m_scenery;
};

}  // namespace me
