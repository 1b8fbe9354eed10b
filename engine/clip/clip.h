#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "clip/clip_object.h"
#include "clip/clip_resource.h"
#include "core/resource_ref.h"
#include "script/script_object.h"

namespace me::clip {

class ClipController;

// The root of a played clip: it keeps the clip time, samples every channel
// of its resource into a value buffer and hands the buffer to its
// controllers, which write it into the nodes below. Time is an integer
// count of clip ticks, so the keys reached and the commands fired depend
// only on the ticks a clip is given.
class Clip : public ClipObject {
public:
    static const ClassRecord kClassRecord;
    // Draw lists up to this long are sorted by insertion.
    static constexpr size_t kInsertionSortLimit = 32;

    Clip();
    ~Clip() override;
    const ClassRecord& class_record() const override { return kClassRecord; }

    // Starts over with the resource (or none) at time 0: controllers and
    // skin are dropped and the values evaluated at time 0. A refused
    // resource is not taken (error line, false).
    bool init(ResourceRef<ClipResource> resource);
    ClipResource* resource() const { return m_resource.get(); }
    // A handler given as a weak reference is followed at each command, so an
    // owner of the clip can be its handler without keeping itself alive.
    void set_command_handler(ScriptObject handler) { m_command_handler = std::move(handler); }
    // What commands run with as this: the handler, or what it refers to.
    ScriptObject command_this(HSQUIRRELVM vm) const;
    uint32_t duration() const { return m_resource ? m_resource->duration() : 0; }

    void set_looping(bool looping) { m_looping = looping; }
    bool looping() const { return m_looping; }
    void set_render_within_parent(bool within) { m_render_within_parent = within; }
    bool renders_within_parent() const { return m_render_within_parent; }

    // The end tick, one past the duration, is where a clip that does not
    // loop stops.
    uint64_t time() const { return m_time; }
    bool is_at_end() const;
    int32_t previous_key() const { return m_previous_key; }
    int32_t current_key() const { return m_current_key; }
    std::span<const uint32_t> values() const { return m_values; }

    // Negative counts do nothing. A looping clip wraps to 0 on reaching
    // its end tick; one that does not loop stays there.
    void advance_in_time(int64_t ticks);
    // Sets the time (clamped to 0 … end tick) without firing commands.
    void jump_to_time(int64_t ticks);

    // Updates the controller with Attach and keeps it when it accepts; false
    // (nothing kept) when it refuses or reads channels this clip lacks.
    bool add_controller(ClipController& controller);
    size_t controller_count() const;
    // The first controller (in the order they were added) that satisfies
    // the predicate, or null.
    template <class Predicate>
    ClipController* find_controller(Predicate predicate) const {
        for (ClipController* controller : m_controllers)
            if (controller != nullptr && predicate(*controller))
                return controller;
        return nullptr;
    }
    void refresh_controllers();

    // Skin slots replace the resource's sprites by index. A names array of
    // another length than the skin first resets the skin to the resource's
    // sprites; names beyond the resource's sprites are ignored with a
    // warning.
    void apply_skin(std::span<const ScriptObject> names, bool refresh);
    void reset_skin(bool refresh);
    bool has_skin() const { return !m_skin_sprites.empty(); }
    // The skin's names when one is applied, else the resource's.
    const std::vector<ScriptObject>& sprite_names() const;
    // The sprite a sprite channel's value names, or null.
    Sprite* sprite_at(int32_t index) const;

    void add_to_draw_list(int32_t z_order, ClipObject& node) { m_draw_list.emplace_back(z_order, &node); }
    void render(QuadBatch& batch, const Matrix2d* extra) override;
    void collect(Clip& clip, const Color& parent_color, int32_t parent_z) override;

private:
    using DrawEntry = std::pair<int32_t, ClipObject*>;

    uint64_t end_tick() const { return uint64_t{duration()} + 1; }
    uint64_t step(uint64_t ticks);
    // Samples at the time (at most the duration) into the values and places
    // the current key.
    void evaluate_now();
    void update_controllers(int32_t code);
    void release_controllers();

    ResourceRef<ClipResource> m_resource;
    uint64_t m_time = 0;
    int32_t m_previous_key = 0;
    int32_t m_current_key = 0;
    bool m_looping = false;
    bool m_render_within_parent = false;
    std::vector<uint32_t> m_values;
    // Each holds one reference. Entries are nulled rather than erased while
    // the controllers are being updated, and compacted afterwards.
    std::vector<ClipController*> m_controllers;
    int m_updating = 0;
    ScriptObject m_command_handler;
    std::vector<ResourceRef<Sprite>> m_skin_sprites;
    std::vector<ScriptObject> m_skin_names;
    std::vector<DrawEntry> m_draw_list;
    std::vector<DrawEntry> m_sort_scratch;
};

}  // namespace me::clip
