#pragma once

#include "core/float_vector.h"
#include "core/matrix2d.h"
#include "gpu/quad_batch.h"
#include "gpu/quad_batch_vertex.h"

namespace me {

class Sprite;

// The ways a sprite is written into the quad batch. Each multiplies the
// sprite's own colour by `color` (premultiplied) component-wise. An animated
// sprite draws its first frame (pass a frame to draw another); a sprite with
// a special texture ("_null_") draws nothing and reserves nothing.

// The pivot at `position`, the rectangle scaled by `scale`.
void draw_sprite(QuadBatch& batch, const Sprite& sprite, Vec2 position, Vec2 scale, Color color = {});
// The pivot at the transform's origin.
void draw_sprite(QuadBatch& batch, const Sprite& sprite, const Matrix2d& transform, Color color = {});
// As above with the transform's first column scaled by scale.x and its
// second by scale.y, i.e. the sprite scaled before it is transformed.
void draw_sprite(QuadBatch& batch, const Sprite& sprite, const Matrix2d& transform, Vec2 scale,
                 Color color = {});

// A nine-slice sprite stretched over a box of `box` size whose top-left
// corner is the transform's origin: the corners keep their size (shrunk
// when the box is smaller than the two insets together), the edges stretch
// along one axis and the middle along both. A sprite without a border is
// simply scaled to the box.
void draw_sprite_nine_slice(QuadBatch& batch, const Sprite& sprite, const Matrix2d& transform, Vec2 box,
                            Color color = {});

// The transform with its columns multiplied by the scale.
Matrix2d scale_columns(const Matrix2d& transform, Vec2 scale);

}  // namespace me
