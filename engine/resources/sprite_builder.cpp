#include "resources/sprite_builder.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/log.h"
#include "gpu/texture_flags.h"
#include "resources/sprite_color.h"
#include "resources/sprite_flip.h"
#include "resources/sprite_shape.h"

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

namespace {

bool is_number(SQObjectType type) { return type == OT_INTEGER || type == OT_FLOAT; }

}  // namespace

bool SpriteBuilder::load_animated() {
    if (m_reader.has("flip"))
        log_warning(format_message("The flip is ignored for animated sprite '%1'.", m_name));
    if (m_reader.has("pivot"))
        log_warning(format_message("The pivot is ignored for animated sprite '%1'.", m_name));
    const SpriteDefArray frames(m_vm, m_reader.array("frames"));
    if (frames.size() == 0)
        return refuse(format_message("Empty frames not supported for animated sprite '%1'.", m_name));
    const FrameForm form = frame_form(frames);
    if (form == FrameForm::Invalid)
        return refuse(format_message("Invalid subsprite of animated sprite '%1'.", m_name));
    if (!texture_has_frames_for(form))
        return refuse(format_message("Texture required for animated sprite '%1'.", m_name));
    if (form == FrameForm::NamedTimed || form == FrameForm::IndexedTimed)
        m_sprite.m_duration = 0.0f;
    for (size_t i = 0; i < frames.size(); ++i)
        if (!add_frame(frames, i, form))
            return false;
    take_frame_bounds();
    return true;
}

// The first element decides how every element is read.
SpriteBuilder::FrameForm SpriteBuilder::frame_form(const SpriteDefArray& frames) const {
    switch (frames.type(0)) {
        case OT_STRING:
            return FrameForm::Names;
        case OT_INTEGER:
            return FrameForm::Indices;
        case OT_ARRAY: {
            const SQObjectType first = SpriteDefArray(m_vm, frames.element(0)).type(0);
            if (first == OT_STRING)
                return FrameForm::NamedTimed;
            return is_number(first) ? FrameForm::IndexedTimed : FrameForm::Invalid;
        }
        default:
            return FrameForm::Invalid;
    }
}

bool SpriteBuilder::texture_has_frames_for(FrameForm form) const {
    return (form != FrameForm::Indices && form != FrameForm::IndexedTimed) || m_sprite.texture() != nullptr;
}

bool SpriteBuilder::add_frame(const SpriteDefArray& frames, size_t i, FrameForm form) {
    const float share = m_sprite.m_duration / static_cast<float>(frames.size());
    if (form == FrameForm::Names) {
        const std::optional<std::string> name = frames.string(i);
        if (!name)
            return refuse(format_message("Invalid subsprite of animated sprite '%1'.", m_name));
        return add_named_frame(*name, share, 0.0f);
    }
    if (form == FrameForm::Indices) {
        if (frames.type(i) != OT_INTEGER)
            return refuse(format_message("Invalid subsprite of animated sprite '%1'.", m_name));
        return add_indexed_frame(*frames.integer(i), share, 0.0f, true);
    }
    return add_timed_frame(SpriteDefArray(m_vm, frames.element(i)), form);
}

// [name or index, duration] or [name or index, min, max].
bool SpriteBuilder::add_timed_frame(const SpriteDefArray& entry, FrameForm form) {
    const std::optional<float> first = entry.number(1);
    const std::optional<float> second = entry.size() == 3 ? entry.number(2) : first;
    const bool named = form == FrameForm::NamedTimed;
    const bool leader_fits = named ? entry.type(0) == OT_STRING : is_number(entry.type(0));
    if ((entry.size() != 2 && entry.size() != 3) || !leader_fits || !first || !second)
        return refuse(format_message("Invalid subsprite of animated sprite '%1'.", m_name));
    const float shortest = std::min(*first, *second);
    const float extra = std::max(*first, *second) - shortest;
    m_sprite.m_duration += shortest;
    m_sprite.m_duration_range += extra;
    if (named)
        return add_named_frame(*entry.string(0), shortest, extra);
    return add_indexed_frame(*entry.integer(0), shortest, extra, false);
}

bool SpriteBuilder::add_named_frame(const std::string& name, float duration, float range) {
    ResourceRef<Sprite> frame = load_sprite(name);
    // A sprite still loading is one that this load started: taking it would
    // make the animation contain itself.
    if (!frame || !frame->has_state(ResourceObject::Loaded))
        return refuse(format_message("Can't load subsprite '%1' of animated sprite '%2'.", name, m_name));
    m_sprite.m_frames.push_back({std::move(frame), duration, range});
    return true;
}

bool SpriteBuilder::add_indexed_frame(SQInteger index, float duration, float range, bool index_in_message) {
    ResourceRef<Sprite> frame;
    if (index >= 0)
        frame = texture_frame_sprite(*m_sprite.texture(), static_cast<size_t>(index));
    if (!frame) {
        if (index_in_message)
            return refuse(format_message("Invalid subsprite index %1 of animated sprite '%2'.", index, m_name));
        return refuse(format_message("Invalid subsprite index of animated sprite '%1'.", m_name));
    }
    m_sprite.m_frames.push_back({std::move(frame), duration, range});
    return true;
}

// The animation's pivot and size enclose every frame placed at its pivot.
void SpriteBuilder::take_frame_bounds() {
    std::vector<PivotBox> boxes;
    boxes.reserve(m_sprite.m_frames.size());
    for (const SpriteFrame& frame : m_sprite.m_frames)
        boxes.push_back({frame.sprite->pivot(), frame.sprite->size()});
    const PivotBox box = bounding_box(boxes);
    m_sprite.m_pivot = box.pivot;
    m_sprite.m_size = box.size;
}

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
