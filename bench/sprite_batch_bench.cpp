// Sprites written through the quad batch, against copying the same vertex
// bytes with memcpy. It runs without a window: the render device has no GL
// context, so the batch writes into client memory and its flushes draw
// nothing. What is measured is the CPU side of drawing a sprite: reserving a
// slot (flushing on a texture change or a full batch), transforming the four
// corners and packing the colour.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "gpu/quad_batch.h"

namespace {

constexpr int kSpritesPerFrame = 10000;
// Textures change every this many sprites in the eight-texture case, as in a
// scene whose layers each draw from one sheet.
constexpr int kSpritesPerTextureRun = 64;

// What drawing a sprite reads: its texture, transform and colour.
struct SpriteInstance {
    GLuint texture = 0;
    me::Matrix2d transform;
    me::Color color;
};

std::vector<SpriteInstance> frame_of_sprites(int texture_count) {
    std::vector<SpriteInstance> sprites;
    uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<float>((seed >> 8) & 0xffff) / 65536.0f;
    };
    for (int i = 0; i < kSpritesPerFrame; ++i) {
        const auto texture = static_cast<GLuint>(1 + (i / kSpritesPerTextureRun) % texture_count);
        const float turn = next();
        sprites.push_back({texture, me::Matrix2d{1 - turn, turn, -turn, 1 - turn, next() * 1920, next() * 1080},
                           me::Color{next(), next(), next(), 1.0f}});
    }
    return sprites;
}

void submit_sprites(benchmark::State& state, int texture_count) {
    me::RenderDevice device;
    me::QuadBatch batch(device);
    batch.create_buffers();
    const std::vector<SpriteInstance> sprites = frame_of_sprites(texture_count);
    const me::QuadUv uv{{0.0f, 0.0f}, {0.5f, 0.0f}, {0.0f, 0.5f}, {0.5f, 0.5f}};
    const me::Color sprite_color{1.0f, 0.5f, 1.0f, 1.0f};
    for (auto _ : state) {
        for (const SpriteInstance& sprite : sprites) {
            const std::span<me::QuadVertex> quad = batch.reserve(sprite.texture, 1);
            me::write_quad(quad, sprite.transform, {32.0f, 48.0f}, {16.0f, 40.0f}, uv,
                           me::pack_quad_color(sprite.color * sprite_color));
        }
        batch.flush();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSpritesPerFrame);
    state.counters["draw_calls_per_frame"] =
        static_cast<double>(batch.draw_calls()) / static_cast<double>(state.iterations());
}

void BM_SpriteBatchOneTexture(benchmark::State& state) { submit_sprites(state, 1); }
void BM_SpriteBatchEightTextures(benchmark::State& state) { submit_sprites(state, 8); }

// The floor: the same number of finished vertices copied into a buffer.
void BM_MemcpySpriteVertices(benchmark::State& state) {
    const std::vector<me::QuadVertex> source(static_cast<size_t>(4 * kSpritesPerFrame), me::QuadVertex{1, 2, 3, 4, 5});
    std::vector<me::QuadVertex> destination(static_cast<size_t>(me::QuadBatch::kVertexCount));
    const size_t batch_bytes = destination.size() * sizeof(me::QuadVertex);
    for (auto _ : state) {
        const auto* from = reinterpret_cast<const uint8_t*>(source.data());
        size_t left = source.size() * sizeof(me::QuadVertex);
        while (left > 0) {
            const size_t bytes = left < batch_bytes ? left : batch_bytes;
            std::memcpy(destination.data(), from, bytes);
            benchmark::DoNotOptimize(destination.data());
            from += bytes;
            left -= bytes;
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSpritesPerFrame);
}

BENCHMARK(BM_SpriteBatchOneTexture);
BENCHMARK(BM_SpriteBatchEightTextures);
BENCHMARK(BM_MemcpySpriteVertices);

}  // namespace

BENCHMARK_MAIN();
