#pragma once

#include <GL/glew.h>

#include "render/quad_batch.h"
#include "render/quad_batch_vertex.h"
#include "render/text_layout_mesh.h"
#include "script/entity2d.h"

namespace me {

class Texture;

// Writes laid-out text into the quad batch with the glyph texture, the
// layout origin (the top-left corner of the text box) at the transform's
// origin. Each glyph keeps its own colour multiplied by `color`. The quads
// are reserved in runs of at most one batch, so text of any length draws.
void draw_text_mesh(QuadBatch& batch, const TextMesh& mesh, const Texture& texture, const Matrix2d& transform,
                    QuadColor color = {});
void draw_text_mesh(QuadBatch& batch, const TextMesh& mesh, GLuint texture, const Matrix2d& transform,
                    QuadColor color = {});

}  // namespace me
