#include <optional>
#include <string>
#include <vector>

#include "core/log.h"
#include "resources/sprite_builder.h"
#include "resources/sprite_flip.h"
#include "gpu/texture_flags.h"

namespace me {

namespace {

constexpr size_t kFlipCharacters = 4;

// With scale2x the picture is addressed in doubled pixels.
float pixel_scale(const Texture& texture) { return (texture.flags() & texture_flags::kScale2x) != 0 ? 2.0f : 1.0f; }

}  // namespace

bool SpriteBuilder::load_static() {
    if (m_sprite.texture() == nullptr)
        return refuse(format_message("No texture specified for static sprite '%1'.", m_name));
    const SpriteRect rectangle = read_rectangle();
    m_sprite.m_rectangle = rectangle;
    m_sprite.m_size = {rectangle.width, rectangle.height};
    m_sprite.m_pivot = read_pivot(rectangle);
    m_sprite.m_border = read_border();
    m_sprite.m_has_border = has_any_inset(m_sprite.m_border);
    return true;
}

SpriteRect SpriteBuilder::read_rectangle() const {
    const Texture& texture = *m_sprite.texture();
    const SQInteger frame = m_reader.integer("frame", -1);
    if (frame >= 0 && static_cast<size_t>(frame) < texture.frames().size()) {
        const FrameRect& source = texture.frames()[static_cast<size_t>(frame)];
        return {source.x, source.y, source.width, source.height};
    }
    const float scale = pixel_scale(texture);
    const std::vector<float> defaults{0.0f, 0.0f, static_cast<float>(texture.image_width()) * scale,
                                      static_cast<float>(texture.image_height()) * scale};
    if (!m_reader.has("rect"))
        return {defaults[0], defaults[1], defaults[2], defaults[3]};
    const SpriteDefArray rect(m_vm, m_reader.array("rect"));
    bool fits = true;
    const std::vector<float> values = rect.numbers_or(defaults, fits);
    if (!rect.is_array() || !fits)
        warn_malformed("rect");
    return {values[0], values[1], values[2], values[3]};
}

Vec2 SpriteBuilder::read_pivot(const SpriteRect& rectangle) const {
    switch (field_type("pivot")) {
        case OT_NULL:
            return {};
        case OT_STRING: {
            const std::string name = m_reader.string("pivot");
            if (const std::optional<Vec2> pivot = named_pivot(name, rectangle.width, rectangle.height))
                return *pivot;
            log_warning(format_message("Don't know how to handle '%1' pivot for static sprite '%1'.", name, m_name));
            return {};
        }
        default: {
            const SpriteDefArray pivot(m_vm, m_reader.array("pivot"));
            bool fits = true;
            const std::vector<float> values = pivot.numbers_or({0.0f, 0.0f}, fits);
            if (!pivot.is_array() || !fits)
                warn_malformed("pivot");
            return {values[0], values[1]};
        }
    }
}

SpriteBorder SpriteBuilder::read_border() const {
    if (!m_reader.has("border"))
        return {};
    const SpriteDefArray border(m_vm, m_reader.array("border"));
    bool fits = true;
    const std::vector<float> values = border.numbers_or({0.0f, 0.0f, 0.0f, 0.0f}, fits);
    if (!border.is_array() || !fits)
        warn_malformed("border");
    const SpriteRect& rectangle = m_sprite.rectangle();
    return fit_border({values[0], values[1], values[2], values[3]}, rectangle.width, rectangle.height);
}

// Also sets the texture corners, which an empty flip leaves unrotated.
void SpriteBuilder::read_flip() {
    const std::string text = m_reader.string("flip");
    const SQObjectType type = field_type("flip");
    if ((type != OT_NULL && type != OT_STRING) || text.size() > kFlipCharacters)
        log_warning(format_message("Invalid format of flip for sprite '%1'.", m_name));
    SpriteShape shape{m_sprite.m_rectangle, m_sprite.m_pivot, m_sprite.m_size, m_sprite.m_border, {}};
    const Texture& texture = *m_sprite.texture();
    apply_flip(shape, SpriteFlip::parse(text), texture.texel_scale_u(), texture.texel_scale_v());
    m_sprite.m_rectangle = shape.rectangle;
    m_sprite.m_pivot = shape.pivot;
    m_sprite.m_size = shape.size;
    m_sprite.m_border = shape.border;
    m_sprite.m_corners = shape.corners;
}

}  // namespace me
