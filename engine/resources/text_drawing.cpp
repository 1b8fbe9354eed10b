#include "resources/text_drawing.h"

#include <algorithm>

#include "gpu/texture_flags.h"
#include "resources/font.h"
#include "resources/texture.h"

namespace me {

namespace {

void write_glyph(std::span<QuadVertex> quad, const TextQuad& glyph, const Matrix2d& transform, Color color) {
    const Color glyph_color = Color{glyph.red, glyph.green, glyph.blue, glyph.alpha} * color;
    const QuadUv uv{{glyph.left_u, glyph.top_v},
                    {glyph.right_u, glyph.top_v},
                    {glyph.left_u, glyph.bottom_v},
                    {glyph.right_u, glyph.bottom_v}};
    write_quad(quad, transform, {glyph.right - glyph.left, glyph.bottom - glyph.top}, {-glyph.left, -glyph.top}, uv,
               pack_quad_color(glyph_color));
}

}  // namespace

void draw_text_mesh(QuadBatch& batch, const TextMesh& mesh, const Texture& texture, const Matrix2d& transform,
                    Color color) {
    if ((texture.flags() & texture_flags::kSpecial) == 0)
        draw_text_mesh(batch, mesh, static_cast<GLuint>(texture.gl_name()), transform, color);
}

void draw_text_mesh(QuadBatch& batch, const TextMesh& mesh, GLuint texture, const Matrix2d& transform,
                    Color color) {
    size_t next = 0;
    while (next < mesh.quads.size()) {
        const auto run = static_cast<int>(std::min<size_t>(mesh.quads.size() - next, QuadBatch::kMaxQuads));
        const std::span<QuadVertex> slots = batch.reserve(texture, run);
        if (slots.empty())
            return;
        for (int i = 0; i < run; ++i)
            write_glyph(slots.subspan(static_cast<size_t>(4 * i), 4), mesh.quads[next + static_cast<size_t>(i)],
                        transform, color);
        next += static_cast<size_t>(run);
    }
}

void draw_text(QuadBatch& batch, const Font& font, const TextMesh& mesh, const Matrix2d& transform, Color color) {
    if (const Texture* texture = font.texture())
        draw_text_mesh(batch, mesh, *texture, transform, color);
}

}  // namespace me
