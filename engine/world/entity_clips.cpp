#include "world/entity_clips.h"


#include "core/fatal_error.h"
#include "core/log.h"
#include "core/log_format.h"
#include "world/native_state_io.h"

namespace me {

namespace {

constexpr const char* kRootNodeName = "root";

int64_t ticks_at_speed(int64_t percent) { return percent * EntityClips::kClipTicksPerGameTick / 100; }

[[noreturn]] void fail_restore(const std::string& message) {
    log_error(message);
    fatal_error(message);
}

}  // namespace

bool EntityClips::play_clip(const std::string& name, bool anim_move, bool reset_anim_move, bool looping,
                            const ScriptObject& handler) {
    m_clip_speed = kNormalSpeed;
    m_clip_end_reported = false;
    m_anim_move_controller.reset();
    m_clip = clip::instantiate_clip(name);
    if (!m_clip) {
        m_clip_name.clear();
        m_anim_move_old_position = {};
        return false;
    }
    m_clip_name = name;
    m_clip->set_looping(looping);
    m_clip->set_command_handler(handler);
    if (anim_move) {
        find_anim_move_controller();
        if (has_anim_move()) {
            place_root_at_origin();
            if (reset_anim_move)
                m_anim_move_old_position = {};
        }
    }
    if (!has_anim_move())
        m_anim_move_old_position = {};
    return true;
}

bool EntityClips::play_light_clip(const std::string& name, bool looping, const ScriptObject& handler) {
    m_light_clip = clip::instantiate_clip(name);
    if (!m_light_clip) {
        m_light_clip_name.clear();
        return false;
    }
    m_light_clip_name = name;
    m_light_clip->set_looping(looping);
    m_light_clip->set_command_handler(handler);
    return true;
}

void EntityClips::reset_clip(bool report_end) {
    m_clip.reset();
    m_clip_name.clear();
    m_anim_move_controller.reset();
    m_clip_speed = kNormalSpeed;
    m_clip_end_reported = !report_end;
    m_anim_move_old_position = {};
}

void EntityClips::reset_light_clip() {
    m_light_clip.reset();
    m_light_clip_name.clear();
}

void EntityClips::update_clip(bool slowdown) {
    if (!m_clip || m_clip_updated)
        return;
    const int64_t speed = slowdown ? m_clip_speed / 2 : m_clip_speed;
    m_clip->advance_in_time(ticks_at_speed(speed));
    if (has_anim_move())
        place_root_at_origin();
    m_clip_updated = true;
}

void EntityClips::advance_light_clip() {
    if (m_light_clip)
        m_light_clip->advance_in_time(ticks_at_speed(m_clip_speed));
}

bool EntityClips::take_clip_end() {
    if (m_clip_end_reported)
        return false;
    if (m_clip && !(m_clip->resource() != nullptr && !m_clip->looping() && m_clip->is_at_end()))
        return false;
    m_clip_end_reported = true;
    return true;
}

FixedVec2 EntityClips::take_anim_move_delta(bool mirrored) {
    if (!has_anim_move())
        return {};
    const auto& raw = m_anim_move_controller->fixed_positions()[1];
    const FixedVec2 position{raw[0], raw[1]};
    const FixedVec2 delta{mirrored ? fixed_sub(m_anim_move_old_position.x, position.x)
                                   : fixed_sub(position.x, m_anim_move_old_position.x),
                          fixed_sub(position.y, m_anim_move_old_position.y)};
    m_anim_move_old_position = position;
    return delta;
}

void EntityClips::find_anim_move_controller() {
    clip::ClipObject* root = m_clip->find_object_by_name(kRootNodeName);
    if (root == nullptr)
        return;
    clip::ClipController* found = m_clip->find_controller([root](const clip::ClipController& controller) {
        if (!controller.class_record().is_kind_of(clip::ClipTransformChannelController::kClassRecord))
            return false;
        const auto& transform = static_cast<const clip::ClipTransformChannelController&>(controller);
        return transform.target() == root && transform.has_fixed_position();
    });
    m_anim_move_controller = ResourceRef<clip::ClipTransformChannelController>(
        static_cast<clip::ClipTransformChannelController*>(found));
}

void EntityClips::place_root_at_origin() {
    if (clip::ClipObject* root = m_anim_move_controller->target())
        root->set_position({0.0f, 0.0f});
}

EntityClips::SavedClip EntityClips::saved(const clip::Clip* clip, const std::string& name) {
    if (clip == nullptr)
        return {};
    return {true, name, clip->looping(), static_cast<uint32_t>(clip->time())};
}

void EntityClips::visit_state(NativeStateIo& io, SavedClip& clip, SavedClip& light, bool& anim_move) {
    io.boolean("EntityBase::m_clip", clip.present);
    if (clip.present) {
        io.string("EntityBase::m_clip_name", clip.name);
        io.boolean("EntityBase::m_clip.m_looping", clip.looping);
        io.u32("EntityBase::m_clip.m_clip_time", clip.time);
    }
    io.boolean("EntityBase::m_light_clip", light.present);
    if (light.present) {
        io.string("EntityBase::m_light_clip_name", light.name);
        io.boolean("EntityBase::m_light_clip.m_looping", light.looping);
        io.u32("EntityBase::m_light_clip.m_clip_time", light.time);
    }
    io.fixed("EntityBase::m_light_clip_offset_x", m_light_clip_offset_x);
    io.fixed("EntityBase::m_light_clip_offset_y", m_light_clip_offset_y);
    io.fixed("EntityBase::m_light_clip_offset_z", m_light_clip_offset_z);
    io.u16("EntityBase::m_clip_speed", m_clip_speed);
    io.boolean("EntityBase::m_clip_updated", m_clip_updated);
    io.boolean("EntityBase::m_clip_end_reported", m_clip_end_reported);
    io.boolean("EntityBase::m_anim_move_controller", anim_move);
    io.fixed("EntityBase::m_anim_move_old_position.x", m_anim_move_old_position.x);
    io.fixed("EntityBase::m_anim_move_old_position.y", m_anim_move_old_position.y);
}

void EntityClips::transfer_state(NativeStateIo& io) const {
    SavedClip clip = saved(m_clip.get(), m_clip_name);
    SavedClip light = saved(m_light_clip.get(), m_light_clip_name);
    bool anim_move = has_anim_move();
    // Writing and dumping only read the members they are handed.
    const_cast<EntityClips*>(this)->visit_state(io, clip, light, anim_move);
}

void EntityClips::transfer_state(NativeStateIo& io, const ScriptObject& handler) {
    SavedClip clip;
    SavedClip light;
    bool anim_move = false;
    visit_state(io, clip, light, anim_move);
    if (io.mode() != NativeStateIo::Mode::Read || !io.ok())
        return;
    m_clip = restored(clip, m_clip, m_clip_name, handler, "Cannot restore clip '%1', clip failed to load.");
    m_clip_name = clip.present ? clip.name : std::string();
    m_light_clip = restored(light, m_light_clip, m_light_clip_name, handler,
                            "Cannot restore light clip '%1', clip failed to load.");
    m_light_clip_name = light.present ? light.name : std::string();
    m_anim_move_controller.reset();
    if (!anim_move)
        return;
    if (m_clip)
        find_anim_move_controller();
    if (!has_anim_move())
        fail_restore("Cannot restore anim move clip controller.");
}

ResourceRef<clip::Clip> EntityClips::restored(const SavedClip& saved, const ResourceRef<clip::Clip>& held,
                                              const std::string& held_name, const ScriptObject& handler,
                                              const char* failure_message) {
    if (!saved.present)
        return {};
    ResourceRef<clip::Clip> clip = held;
    if (clip && held_name == saved.name) {
        clip->remove_from_parent();
        clip->reset_skin(true);
    } else {
        clip = clip::instantiate_clip(saved.name);
    }
    if (!clip)
        fail_restore(format_message(failure_message, saved.name));
    clip->set_command_handler(handler);
    clip->set_looping(saved.looping);
    clip->jump_to_time(saved.time);
    return clip;
}

}  // namespace me
