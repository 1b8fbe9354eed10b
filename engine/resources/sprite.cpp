#include "resources/sprite.h"

#include "core/application.h"
#include "core/random.h"
#include "gpu/texture_flags.h"
#include "resources/resource_class.h"
#include "resources/resource_registry.h"
#include "resources/sprite_builder.h"
#include "resources/sprite_color.h"
#include "resources/sprite_shape.h"

namespace me {

namespace {

const ResourceClass g_sprite_class(Sprite::kClassRecord, resource_types::sprite, make_resource<Sprite>);

}  // namespace

const ClassRecord Sprite::kClassRecord{"Sprite", &ResourceObject::kClassRecord};

Sprite::Sprite() : ResourceObject(resource_types::sprite) {}

bool Sprite::load() { return SpriteBuilder(*this, resource_vm(), get_def()).build(); }

float Sprite::frame_duration(size_t i, Xorshift128& rng) const {
    const SpriteFrame& entered = m_frames[i];
    if (entered.duration_range <= 0.0f)
        return entered.duration;
    return entered.duration + rng.next_float(0.0f, entered.duration_range);
}

float Sprite::frame_duration(size_t i) const {
    if (g_application == nullptr)
        return m_frames[i].duration;
    return frame_duration(i, g_application->rng);
}

ResourceRef<Sprite> load_sprite(const std::string& name) {
    return load_resource_as<Sprite>(resource_types::sprite, name);
}

ResourceRef<Sprite> Sprite::make_native(Texture& texture, const SpriteRect& rectangle, Vec2 size, Vec2 pivot,
                                        const TextureCorners& corners) {
    ResourceRef<Sprite> sprite(new Sprite());
    sprite->m_texture = ResourceRef<Texture>(&texture);
    sprite->m_has_texture = true;
    sprite->m_special_texture = (texture.flags() & texture_flags::kSpecial) != 0;
    sprite->m_rectangle = rectangle;
    sprite->m_size = size;
    sprite->m_pivot = pivot;
    sprite->m_corners = corners;
    sprite->m_packed_color = pack_color(sprite->m_color);
    sprite->add_state(Loaded);
    return sprite;
}

ResourceRef<Sprite> make_frame_sprite(Texture& texture, const FrameRect& frame) {
    const SpriteRect rectangle{frame.x, frame.y, frame.width, frame.height};
    return Sprite::make_native(texture, rectangle, {frame.width, frame.height}, {frame.pivot_x, frame.pivot_y},
                               corners_of(rectangle, texture.texel_scale_u(), texture.texel_scale_v()));
}

// The corners come from the drawn size, which with scale2x is in the doubled
// pixels the halved texel scales expect, so they span the whole picture.
ResourceRef<Sprite> make_texture_sprite(Texture& texture) {
    const float scale = (texture.flags() & texture_flags::kScale2x) != 0 ? 2.0f : 1.0f;
    const float width = static_cast<float>(texture.image_width());
    const float height = static_cast<float>(texture.image_height());
    const Vec2 size{width * scale, height * scale};
    const SpriteRect drawn{0.0f, 0.0f, size.x, size.y};
    return Sprite::make_native(texture, {0.0f, 0.0f, width, height}, size, {},
                               corners_of(drawn, texture.texel_scale_u(), texture.texel_scale_v()));
}

}  // namespace me
