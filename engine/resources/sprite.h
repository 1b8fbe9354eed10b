#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/float_vector.h"
#include "core/resource_ref.h"
#include "gpu/sprite_geometry.h"
#include "image/frame_finder.h"
#include "resources/resource_object.h"
#include "resources/texture.h"

namespace me {

class Xorshift128;

enum class SpriteKind : int { Static = 0, Animated = 1 };

class Sprite;

// One step of an animated sprite: the sprite shown, its fixed duration and
// the largest random extra that is added to it each time it is entered.
struct SpriteFrame {
    ResourceRef<Sprite> sprite;
    float duration = 0.0f;
    float duration_range = 0.0f;
};

// The "sprite" resource: a textured rectangle with a pivot, a colour,
// optional nine-slice borders and collision shapes, or an animated sprite
// that is a timed list of such sprites. Built from a def of g_sprite_defs or
// natively for a texture frame or a whole texture. A sprite never changes
// after it is loaded.
class Sprite : public ResourceObject {
public:
    static const ClassRecord kClassRecord;

    Sprite();
    const ClassRecord& class_record() const override { return kClassRecord; }
    bool load() override;

    SpriteKind kind() const { return m_kind; }
    bool is_animated() const { return m_kind == SpriteKind::Animated; }

    // Null for an animated sprite whose def named no texture.
    Texture* texture() const { return m_texture.get(); }
    bool has_texture() const { return m_has_texture; }
    // The texture is a built-in one such as "_null_"; such sprites draw nothing.
    bool is_special_texture() const { return m_special_texture; }

    // In texture pixels; width or height negative after a mirroring flip.
    const SpriteRect& rectangle() const { return m_rectangle; }
    const TextureCorners& corners() const { return m_corners; }
    // The point of the rectangle placed at the drawing position; for an
    // animated sprite, the pivot of the bounding box of all frames.
    Vec2 pivot() const { return m_pivot; }
    // Width and height drawn; for an animated sprite the bounding box size.
    Vec2 size() const { return m_size; }
    const SpriteBorder& border() const { return m_border; }
    bool has_border() const { return m_has_border; }

    const Color& color() const { return m_color; }
    // The colour's components scaled to bytes (rounded, clamped to 0..255):
    // red in bits 0-7, green 8-15, blue 16-23, alpha 24-31, so that on the
    // little-endian hosts the engine runs on its bytes lie in memory as
    // R, G, B, A, the order of a vertex's normalised colour bytes.
    uint32_t packed_color() const { return m_packed_color; }

    // Animated sprites only; a static sprite has no frames.
    size_t frame_count() const { return m_frames.size(); }
    // i must be below frame_count().
    const SpriteFrame& frame(size_t i) const { return m_frames[i]; }
    // How long frame i lasts when it is entered now: its duration plus a
    // random extra in [0, duration range] drawn from rng, or from the
    // application's generator (no extra when there is no application).
    float frame_duration(size_t i, Xorshift128& rng) const;
    float frame_duration(size_t i) const;
    // Sum of the frames' durations (or the def's "duration").
    float duration() const { return m_duration; }
    // Sum of the frames' random extras.
    float duration_range() const { return m_duration_range; }
    bool loops() const { return m_loop; }

    const std::vector<CollisionCircle>& collision_circles() const { return m_collision_circles; }
    const std::vector<CollisionRect>& collision_rects() const { return m_collision_rects; }

private:
    friend class SpriteBuilder;
    friend ResourceRef<Sprite> make_frame_sprite(Texture& texture, const FrameRect& frame);
    friend ResourceRef<Sprite> make_texture_sprite(Texture& texture);

    // A loaded, white, unnamed static sprite of texture.
    static ResourceRef<Sprite> make_native(Texture& texture, const SpriteRect& rectangle, Vec2 size, Vec2 pivot,
                                           const TextureCorners& corners);

    SpriteKind m_kind = SpriteKind::Static;
    ResourceRef<Texture> m_texture;
    bool m_has_texture = false;
    std::vector<SpriteFrame> m_frames;
    SpriteRect m_rectangle;
    TextureCorners m_corners;
    Vec2 m_pivot;
    Vec2 m_size;
    SpriteBorder m_border;
    float m_duration = 0.0f;
    float m_duration_range = 0.0f;
    bool m_has_border = false;
    bool m_loop = false;
    bool m_special_texture = false;
    Color m_color;
    uint32_t m_packed_color = 0xffffffffu;
    std::vector<CollisionCircle> m_collision_circles;
    std::vector<CollisionRect> m_collision_rects;
};

// A sprite by name from g_sprite_defs, or null after logging why.
ResourceRef<Sprite> load_sprite(const std::string& name);

// A static sprite showing frame of texture: its pixel rectangle and pivot,
// texture corners = rectangle × texel scales, white.
ResourceRef<Sprite> make_frame_sprite(Texture& texture, const FrameRect& frame);
// A static sprite showing the whole picture: rectangle (0, 0, image size),
// size = image size (doubled when the texture has scale2x), pivot (0, 0).
ResourceRef<Sprite> make_texture_sprite(Texture& texture);
// The sprite of texture's frame index, made on first use and shared while
// anyone holds it; null when index is not a frame of texture.
ResourceRef<Sprite> texture_frame_sprite(Texture& texture, size_t index);

}  // namespace me
