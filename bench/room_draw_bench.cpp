// The per-frame ordering cost of a room: N entries (entities at random
// ground positions and heights, all in the depth layer, with shadows as
// every other entry) keyed and sorted stably, as render does before it draws.
// Drawing itself is the quad batch's cost (sprite_batch_bench).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "world/room_draw_list.h"

namespace {

using namespace me;

struct Placed {
    Fixed y;
    Fixed z;
    int32_t type;
};

std::vector<Placed> scattered(int64_t count) {
    std::vector<Placed> placed;
    uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int64_t i = 0; i < count; ++i)
        placed.push_back({static_cast<Fixed>(next() % (600u << 16)), static_cast<Fixed>(next() % (200u << 16)) - (20 << 16),
                          static_cast<int32_t>(next() % 4)});
    return placed;
}

void BM_KeyAndSortDrawLists(benchmark::State& state) {
    const std::vector<Placed> placed = scattered(state.range(0));
    RoomDrawLists lists;
    for (auto _ : state) {
        for (size_t i = 0; i < placed.size(); ++i) {
            DrawEntry entry;
            entry.layer = kDepthDrawLayer;
            const bool shadow = i % 2 == 1;
            entry.key = depth_key(kDepthDrawLayer, placed[i].y, shadow ? 0 : placed[i].z,
                                  shadow ? kShadowRenderableType : placed[i].type);
            entry.y = fixed_to_float(placed[i].y);
            lists.add(entry);
        }
        lists.sort();
        benchmark::DoNotOptimize(lists.list(RoomDrawLists::kMain).data());
        lists.clear();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_KeyAndSortDrawLists)->Arg(32)->Arg(100)->Arg(1000)->Arg(5000)->Arg(20000);

}  // namespace

BENCHMARK_MAIN();
