#include "clip/clip_text_object.h"

#include <cmath>

#include "render/quad_batch.h"
#include "resources/font.h"

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
    const ClipColor& color = accumulated_color();
    if (font == nullptr || color[3] == 0.0f)
        return;
    const TextMesh& mesh = m_text.mesh();
    const Matrix2d offset{1.0f, 0.0f, 0.0f, 1.0f, -std::floor(mesh.content_width / 2.0f),
                          -std::floor(mesh.content_height / 2.0f)};
    font->draw(batch, mesh, offset.then(drawing_transform(extra)),
               QuadColor{color[0] * color[3], color[1] * color[3], color[2] * color[3], color[3]});
}

}  // namespace me::clip
