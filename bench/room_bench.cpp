// Room ticks with N moving entities in a walled arena of constant density,
// with collisions against the walls only or between the entities as well.
// With "grid" 0 the broad phase is off. The entities are native (no script instance), so the figures are the
// engine's own cost: motion, sweeps, surface and ground queries.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "core/resource_ref.h"
#include "world/entity_base.h"
#include "world/room_base.h"

namespace {

using namespace me;

constexpr Fixed U = FIXED_ONE;
// Arena area per entity: a 40 x 40 cell holding a 12 x 8 box.
constexpr int32_t kCell = 40;
constexpr int32_t kTurnTicks = 90;

struct Arena {
    ResourceRef<RoomBase> room{new RoomBase};
    std::vector<ResourceRef<EntityBase>> entities;

    Arena(int32_t count, bool entities_collide) {
        const auto side = static_cast<int32_t>(std::ceil(std::sqrt(static_cast<double>(count))));
        const Fixed extent = fixed_from_int(side * kCell);
        const Fixed wall = fixed_from_int(-999);
        room->add_static_box_collision({-20 * U, -20 * U}, {extent + 20 * U, 0}, wall);
        room->add_static_box_collision({-20 * U, extent}, {extent + 20 * U, extent + 20 * U}, wall);
        room->add_static_box_collision({-20 * U, 0}, {0, extent}, wall);
        room->add_static_box_collision({extent, 0}, {extent + 20 * U, extent}, wall);
        room->add_static_box_collision({0, 0}, {extent, extent}, 0);
        uint32_t seed = 12345;
        const auto next = [&seed] {
            seed = seed * 1664525u + 1013904223u;
            return static_cast<int32_t>(seed >> 16) % 400 - 200;
        };
        for (int32_t i = 0; i < count; ++i) {
            ResourceRef<EntityBase> entity(new EntityBase);
            entity->set_position({fixed_from_int((i % side) * kCell + 20), fixed_from_int((i / side) * kCell + 20)});
            entity->set_z(0);
            entity->set_box_collision({-6 * U, -4 * U}, {6 * U, 4 * U}, 20 * U);
            entity->set_collision_group_and_mask(2, entities_collide ? 3 : 1);
            entity->set_flag(EntityBase::kFlagMovable | EntityBase::kFlagNoFriction, true);
            entity->set_velocity(fixed_from_int(next()), fixed_from_int(next()), 0);
            room->add_entity(*entity.get());
            entities.push_back(entity);
        }
    }

    void turn_around() {
        for (const ResourceRef<EntityBase>& entity : entities)
            entity->set_velocity(fixed_neg(entity->velocity_x()), fixed_neg(entity->velocity_y()), 0);
    }
};

void room_tick(benchmark::State& state) {
    Arena arena(static_cast<int32_t>(state.range(0)), state.range(1) != 0);
    arena.room->set_broad_phase(state.range(2) != 0);
    int32_t tick = 0;
    for (auto _ : state) {
        arena.room->tick(false, tick++);
        // Back and forth, so that the crowd does not end up piled on the walls.
        if (tick % kTurnTicks == 0)
            arena.turn_around();
    }
    state.counters["ticks_per_second"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                            benchmark::Counter::kIsRate);
}

BENCHMARK(room_tick)
    ->ArgNames({"entities", "colliding", "grid"})
    ->ArgsProduct({{100, 1000, 5000}, {0, 1}, {1}})
    ->Unit(benchmark::kMicrosecond);

// Every query looking at every entity, for comparison.
BENCHMARK(room_tick)
    ->ArgNames({"entities", "colliding", "grid"})
    ->ArgsProduct({{100, 1000}, {1}, {0}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
