#include "resources/sprite_builder.h"

#include <array>
#include <optional>
#include <vector>

#include "core/log.h"
#include "resources/sprite_color.h"
#include "gpu/texture_flags.h"

namespace me {

SpriteBuilder::SpriteBuilder(Sprite& sprite, HSQUIRRELVM vm, const ScriptObject& def)
    : m_sprite(sprite), m_vm(vm), m_def(def), m_reader(vm, def), m_name(sprite.get_name()) {}

bool SpriteBuilder::build() {
    if (load_parts())
        return true;
    log_error(format_message("Unable to load sprite '%1'.", m_name));
    return false;
}

bool SpriteBuilder::load_parts() {
    if (!read_texture())
        return false;
    m_sprite.m_duration = m_reader.floating("duration", 0.0f);
    m_sprite.m_kind = m_reader.has("frames") ? SpriteKind::Animated : SpriteKind::Static;
    if (!(m_sprite.is_animated() ? load_animated() : load_static()))
        return false;
    read_color();
    if (!m_sprite.is_animated())
        read_flip();
    m_sprite.m_loop = m_reader.boolean("loop", false);
    mark_special_texture();
    return add_collision_circle() && add_collision_rect();
}

bool SpriteBuilder::read_texture() {
    const std::string texture_name = m_reader.string("texture");
    if (texture_name.empty())
        return true;
    m_sprite.m_texture = load_texture(texture_name);
    if (!m_sprite.m_texture)
        return refuse(format_message("Sprite texture '%1' failed to load.", texture_name));
    m_sprite.m_has_texture = true;
    return true;
}

void SpriteBuilder::read_color() {
    std::array<float, 5> values{255.0f, 255.0f, 255.0f, 255.0f, 255.0f};
    if (m_reader.has("color")) {
        const SpriteDefArray color(m_vm, m_reader.array("color"));
        bool fits = true;
        const std::vector<float> read = color.numbers_or({values.begin(), values.end()}, fits);
        if (!color.is_array() || !fits)
            warn_malformed("color");
        std::copy(read.begin(), read.end(), values.begin());
    }
    m_sprite.m_color = premultiplied_color(values);
    m_sprite.m_packed_color = pack_color(m_sprite.m_color);
}

void SpriteBuilder::mark_special_texture() {
    const Texture* texture = m_sprite.texture();
    m_sprite.m_special_texture = texture != nullptr && (texture->flags() & texture_flags::kSpecial) != 0;
}

bool SpriteBuilder::add_collision_circle() {
    if (!m_reader.has("ccircle"))
        return true;
    const SpriteDefArray circle(m_vm, m_reader.array("ccircle"));
    const std::optional<float> x = circle.number(0);
    const std::optional<float> y = circle.number(1);
    const std::optional<float> radius = circle.number(2);
    if (circle.size() != 3 || !x || !y || !radius)
        return refuse("Specify x,y,radius for circle collision.");
    if (!(*radius > 0.0f))
        return refuse("Zero or negative radius of collision circle!");
    const Vec2 pivot = m_sprite.pivot();
    m_sprite.m_collision_circles.push_back({{*x - pivot.x, *y - pivot.y}, *radius});
    return true;
}

bool SpriteBuilder::add_collision_rect() {
    if (!m_reader.has("crect"))
        return true;
    const Vec2 pivot = m_sprite.pivot();
    const Vec2 size = m_sprite.size();
    if (m_reader.floating("crect", 0.0f) == -1.0f) {
        if (m_sprite.is_animated())
            log_warning(format_message("crect ignored for for animated sprite '%1'!", m_name));
        else if (size.x != 0.0f || size.y != 0.0f)
            m_sprite.m_collision_rects.push_back({-pivot.x, -pivot.y, size.x, size.y});
        return true;
    }
    const SpriteDefArray rect(m_vm, m_reader.array("crect"));
    bool fits = true;
    const std::vector<float> values = rect.numbers_or({0.0f, 0.0f, 0.0f, 0.0f}, fits);
    if (rect.size() != 4 || !fits)
        return refuse("Specify x,y,width,height for rect collsion.");
    m_sprite.m_collision_rects.push_back({values[0] - pivot.x, values[1] - pivot.y, values[2], values[3]});
    return true;
}

SQObjectType SpriteBuilder::field_type(const char* key) const { return def_table_field(m_def, key).type(); }

bool SpriteBuilder::refuse(const std::string& message) const {
    log_error(message);
    return false;
}

// Keys the format gives no failure for: the load goes on with the defaults
// of whatever could not be read, but the author learns of the mistake.
void SpriteBuilder::warn_malformed(const char* key) const {
    log_warning(format_message("Invalid '%1' of sprite '%2', defaults used where it could not be read.", key, m_name));
}

}  // namespace me
