#include "clip/clip_text_object.h"

#include <cmath>

#include "gpu/quad_batch.h"
#include "resources/font.h"
#include "resources/text_drawing.h"

namespace me::clip {

const ClassRecord ClipTextObject::kClassRecord{"ClipTextObject", &ClipObject::kClassRecord};

Vec2 ClipTextObject::text_size() {
    const TextMesh& mesh = m_text.mesh();
    return {mesh.content_width, mesh.content_height};
}

// Centred on whole units, so that glyphs stay on the pixel grid when the
// node is.
void ClipTextObject::render(QuadBatch& batch, const Matrix2d* extra) {
    const Font* font = m_text.font();
    const Color& color = accumulated_color();
    if (font == nullptr || color.alpha == 0.0f)
        return;
    const TextMesh& mesh = m_text.mesh();
    const Matrix2d offset{1.0f, 0.0f, 0.0f, 1.0f, -std::floor(mesh.content_width / 2.0f),
                          -std::floor(mesh.content_height / 2.0f)};
    draw_text(batch, *font, mesh, offset.then(drawing_transform(extra)),
               Color{color.red * color.alpha, color.green * color.alpha, color.blue * color.alpha, color.alpha});
}

}  // namespace me::clip
