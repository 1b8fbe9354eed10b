#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "clip/clip_channel.h"
#include "core/resource_ref.h"
#include "resources/resource_object.h"
#include "script/script_object.h"

namespace me {
class Sprite;
}

namespace me::clip {

class Clip;

// The data of a keyframed clip, built by a clip script through its script
// API and published in its def under "_clip_resource": a duration, equally
// spaced keys, typed channels sampled per key, the sprites and commands the
// channels name by index, and the instantiator that builds the node tree.
// It is shared by every clip that plays it and never changes after finish.
class ClipResource : public ResourceObject {
public:
    static const ClassRecord kClassRecord;
    // More cells than this would be a script's mistake, not a clip.
    static constexpr int64_t kMaximumCellCount = int64_t{1} << 24;

    ClipResource();
    ~ClipResource() override;
    const ClassRecord& class_record() const override { return kClassRecord; }
    // Clips are built by scripts, never read from a file: always refused.
    bool load() override;

    void set_duration(uint32_t ticks) { m_duration = ticks; }
    uint32_t duration() const { return m_duration; }
    int32_t key_count() const { return m_key_count; }
    int32_t stride() const { return m_stride; }
    size_t channel_count() const { return m_channels.size(); }
    const ClipChannel& channel(size_t index) const { return m_channels[index]; }

    // Replaces the channels and key data; false (nothing changed) for a
    // negative count or more than kMaximumCellCount cells.
    bool init_channels(int32_t key_count, int32_t channel_count, int32_t stride);
    // Whether a script may set channel `channel` to column `column`.
    bool is_channel(int64_t channel) const;
    bool is_column(int64_t column) const;
    // Sets the channel's type, column and constant (cells[0]) and, for a
    // column, each key's cell from cells[k]; cells must hold at least
    // required_cell_count() values when column >= 0, one otherwise.
    void set_channel_data(size_t channel, ClipChannelType type, int32_t column, std::span<const uint32_t> cells);
    size_t required_cell_count(int32_t column) const;
    // The cell of the channel at key, or its constant when the channel has
    // no key data.
    uint32_t channel_cell(size_t channel, int32_t key) const;

    // Returns false when some non-null name did not load; its slot stays
    // empty and the other names still load.
    bool set_sprite_names(std::vector<ScriptObject> names);
    const std::vector<ScriptObject>& sprite_names() const { return m_sprite_names; }
    const std::vector<ResourceRef<Sprite>>& sprites() const { return m_sprites; }
    void set_commands(std::vector<ScriptObject> commands) { m_commands = std::move(commands); }
    const std::vector<ScriptObject>& commands() const { return m_commands; }
    void set_instantiator(ScriptObject instantiator) { m_instantiator = std::move(instantiator); }
    const ScriptObject& instantiator() const { return m_instantiator; }

    // Marks the resource loaded, or refuses it (with an error line) when its
    // keys cannot be placed in its duration.
    bool finish();
    // Set by a refused finish: no clip plays it and no def hands it out.
    bool is_refused() const { return has_state(Failed); }

    // The keys around time t (at most the duration).
    ClipSample locate(uint32_t t) const;
    // One value per channel into out, which holds channel_count() cells.
    void evaluate(const ClipSample& sample, std::span<uint32_t> out) const;
    // The time of key (0 for a clip without two keys).
    uint32_t key_time(int32_t key) const;

private:
    uint32_t m_duration = 0;
    int32_t m_key_count = 0;
    std::vector<ClipChannel> m_channels;
    int32_t m_stride = 0;
    std::vector<uint32_t> m_key_data;
    std::vector<ResourceRef<Sprite>> m_sprites;
    std::vector<ScriptObject> m_sprite_names;
    std::vector<ScriptObject> m_commands;
    ScriptObject m_instantiator;
};

// The clip built by the instantiator of the clip resource named name; null
// (logged) when the resource does not load or its instantiator fails. An
// instantiator that returns anything but a Clip gives null too.
ResourceRef<Clip> instantiate_clip(const std::string& name);

}  // namespace me::clip
