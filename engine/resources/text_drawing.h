#pragma once

#include <GL/glew.h>

#include "core/matrix2d.h"
#include "gpu/quad_batch.h"
#include "gpu/quad_batch_vertex.h"
#include "resources/text_layout_mesh.h"

namespace me {

class Font;
class Texture;

// Writes laid-out text into the quad batch with the glyph texture, the
// layout origin (the top-left corner of the text box) at the transform's
// origin. Each glyph keeps its own colour multiplied by `color`. The quads
// are reserved in runs of at most one batch, so text of any length draws.
void draw_text_mesh(QuadBatch& batch, const TextMesh& mesh, const Texture& texture, const Matrix2d& transform,
                    Color color = {});
void draw_text_mesh(QuadBatch& batch, const TextMesh& mesh, GLuint texture, const Matrix2d& transform,
                    Color color = {});
// Laid-out text with the font's glyph texture; nothing while the font has none.
void draw_text(QuadBatch& batch, const Font& font, const TextMesh& mesh, const Matrix2d& transform, Color color = {});

}  // namespace me
