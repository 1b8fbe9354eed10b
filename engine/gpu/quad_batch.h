#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <memory>
#include <span>

#include "gpu/quad_batch_vertex.h"
#include "gpu/render_device.h"

namespace me {

// The one batch through which 2D drawing reaches the GPU: quads of one
// texture are gathered in a mapped dynamic vertex buffer and drawn with a
// single indexed draw when the texture changes, the batch is full, or a
// caller flushes. Without a GL context the quads are still written (into
// client memory) but nothing is drawn.
class QuadBatch {
public:
    static constexpr int kMaxQuads = 1024;
    static constexpr int kVertexCount = 4 * kMaxQuads;
    static constexpr int kIndexCount = 6 * kMaxQuads;

    explicit QuadBatch(RenderDevice& device);
    ~QuadBatch();
    QuadBatch(const QuadBatch&) = delete;
    QuadBatch& operator=(const QuadBatch&) = delete;

    // Buffers, geometry, render state and shader; run once the device has
    // started. Until then every reserve comes back empty.
    void create_buffers();
    bool has_buffers() const { return m_geometry != nullptr; }

    // Four vertices for each of `count` quads drawn with the texture, in the
    // corner order of QuadVertex. The batch is flushed first when the texture
    // differs from the one gathered so far or the quads would not fit. Empty
    // (nothing reserved) for a count outside 1 … kMaxQuads, or a buffer that
    // cannot be mapped. The span is valid until the next reserve, flush or
    // reset.
    std::span<QuadVertex> reserve(GLuint texture, int count);

    // How many quads of the texture one reserve can take without flushing:
    // the rest of the batch while it gathers that texture, else a whole
    // batch (a reserve would flush first anyway). Callers with many quads
    // of one texture reserve this many at a time and so fill every batch.
    int room_for(GLuint texture) const {
        return m_quads > 0 && m_quads < kMaxQuads && texture == m_texture ? kMaxQuads - m_quads : kMaxQuads;
    }

    // Draws the gathered quads with one indexed draw and starts over empty.
    void flush();
    // Draws what is gathered, then makes the batch's own render state,
    // shader and geometry current, for drawing code that changed them (a
    // view about to draw, a custom shader done).
    void reset();

    // Draws what is gathered, then blends what follows by the state (null:
    // the batch's own premultiplied state), for passes such as additive
    // lights or a multiplied light map.
    void set_blend_state(const RenderState* state);

    int pending_quads() const { return m_quads; }
    GLuint pending_texture() const { return m_texture; }
    // Flushes that drew at least one quad since the batch was made.
    uint64_t draw_calls() const { return m_draw_calls; }
    const RenderState* render_state() const { return m_state; }
    const Shader& shader() const { return *m_shader; }

private:
    // Every reserve that cannot simply continue the batch: a count out of
    // range, no buffers, a texture change, a full batch, an unmapped buffer.
    std::span<QuadVertex> reserve_checked(GLuint texture, int count);
    std::span<QuadVertex> take_slots(int count);
    void use_batch_state();

    RenderDevice& m_device;
    std::unique_ptr<Shader> m_shader;
    std::shared_ptr<VertexBuffer> m_vertices;
    std::shared_ptr<VertexGeometry> m_geometry;
    const RenderState* m_state = nullptr;
    const RenderState* m_own_state = nullptr;
    // The mapped vertex buffer (kVertexCount vertices), or null.
    QuadVertex* m_mapped = nullptr;
    GLuint m_texture = 0;
    int m_quads = 0;
    uint64_t m_draw_calls = 0;
};

// Inline because it runs for every sprite drawn, and almost always takes the
// first branch.
inline std::span<QuadVertex> QuadBatch::reserve(GLuint texture, int count) {
    if (texture == m_texture && m_mapped != nullptr && count >= 1 && count <= kMaxQuads - m_quads)
        return take_slots(count);
    return reserve_checked(texture, count);
}

inline std::span<QuadVertex> QuadBatch::take_slots(int count) {
    QuadVertex* const slots = m_mapped + 4 * m_quads;
    m_quads += count;
    return {slots, static_cast<size_t>(4 * count)};
}

// The shared 1024-quad batch that sprites, text and particles draw through.
extern QuadBatch* g_sprite_batch;

}  // namespace me
