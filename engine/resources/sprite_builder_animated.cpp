#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/log.h"
#include "resources/sprite_builder.h"
#include "resources/sprite_shape.h"

namespace me {

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

}  // namespace me
