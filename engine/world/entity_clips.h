#pragma once

#include <cstdint>
#include <string>

#include "clip/clip.h"
#include "clip/clip_channel_controllers.h"
#include "clip/clip_time.h"
#include "core/fixed.h"
#include "core/fixed_vec2.h"
#include "core/resource_ref.h"
#include "script/script_object.h"

namespace me {

class NativeStateIo;

// The main clip and the light clip that show an entity, the speed they play
// at, and the anim-move mechanism that hands the main clip's root motion to
// the entity's script. Clips advance by whole clip ticks only, so what they
// show is the same on every peer.
class EntityClips {
public:
    // One game tick in clip ticks.
    static constexpr int64_t kClipTicksPerGameTick = clip::kClipTicksPerGameTick;
    static constexpr uint16_t kNormalSpeed = 100;

    // handler: what the clips' commands run with as this (a weak reference
    // to the entity's instance, so that the clip does not keep it alive).
    bool play_clip(const std::string& name, bool anim_move, bool reset_anim_move, bool looping,
                   const ScriptObject& handler);
    bool play_light_clip(const std::string& name, bool looping, const ScriptObject& handler);
    void reset_clip(bool report_end);
    void reset_light_clip();

    // Advances the main clip once per tick; slowdown halves the speed.
    void update_clip(bool slowdown);
    void advance_light_clip();
    void end_tick() { m_clip_updated = false; }
    // True once per clip: when it has ended, or there is none, and the end
    // was not reported yet.
    bool take_clip_end();

    FixedVec2 take_anim_move_delta(bool mirrored);

    void set_clip_speed(uint16_t percent) { m_clip_speed = percent; }
    uint16_t clip_speed() const { return m_clip_speed; }
    void set_light_clip_offset(Fixed x, Fixed y, Fixed z) {
        m_light_clip_offset_x = x;
        m_light_clip_offset_y = y;
        m_light_clip_offset_z = z;
    }
    Fixed light_clip_offset_x() const { return m_light_clip_offset_x; }
    Fixed light_clip_offset_y() const { return m_light_clip_offset_y; }
    Fixed light_clip_offset_z() const { return m_light_clip_offset_z; }

    clip::Clip* clip() const { return m_clip.get(); }
    clip::Clip* light_clip() const { return m_light_clip.get(); }
    const std::string& clip_name() const { return m_clip_name; }
    const std::string& light_clip_name() const { return m_light_clip_name; }
    bool has_anim_move() const { return m_anim_move_controller.get() != nullptr; }

    // Reads (or steps over) the clip members, in their saved order. Reading
    // takes the clips back by name; a clip that cannot be made again is
    // fatal, since the world could not go on in step.
    void transfer_state(NativeStateIo& io, const ScriptObject& handler);
    // Writes or dumps them.
    void transfer_state(NativeStateIo& io) const;

private:
    struct SavedClip {
        bool present = false;
        std::string name;
        bool looping = false;
        uint32_t time = 0;
    };

    void visit_state(NativeStateIo& io, SavedClip& clip, SavedClip& light, bool& anim_move);
    static SavedClip saved(const clip::Clip* clip, const std::string& name);
    // The clip held under that name when there is one, else a new one.
    static ResourceRef<clip::Clip> restored(const SavedClip& saved, const ResourceRef<clip::Clip>& held,
                                            const std::string& held_name, const ScriptObject& handler,
                                            const char* failure_message);
    void find_anim_move_controller();
    void place_root_at_origin();

    ResourceRef<clip::Clip> m_clip;
    std::string m_clip_name;
    ResourceRef<clip::Clip> m_light_clip;
    std::string m_light_clip_name;
    Fixed m_light_clip_offset_x = 0;
    Fixed m_light_clip_offset_y = 0;
    Fixed m_light_clip_offset_z = 0;
    uint16_t m_clip_speed = kNormalSpeed;
    bool m_clip_updated = false;
    bool m_clip_end_reported = true;
    ResourceRef<clip::ClipTransformChannelController> m_anim_move_controller;
    FixedVec2 m_anim_move_old_position;
};

}  // namespace me
