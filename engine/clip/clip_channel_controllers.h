#pragma once

#include <array>
#include <cstdint>

#include "clip/clip_controller.h"
#include "core/fixed.h"

namespace me::clip {

// A channel index of -1 leaves that property alone.
inline constexpr int32_t kNoChannel = -1;

// Whether a controller may read `width` values from `channel` of a clip
// with channel_count values.
bool is_channel_span(int64_t channel, int32_t width, size_t channel_count);

// The highest channel + 1 that a span reads, 0 for none.
size_t span_extent(int32_t channel, int32_t width);

// Position (two channels), rotation (one) and scale (two).
class ClipTransformChannelController : public ClipController {
public:
    static const ClassRecord kClassRecord;

    // position_is_fixed: the position channels hold Fixed values.
    ClipTransformChannelController(ClipObject& target, int32_t position, int32_t rotation, int32_t scale,
                                   bool position_is_fixed);
    const ClassRecord& class_record() const override { return kClassRecord; }
    bool update(Clip& clip, int32_t code) override;
    size_t channel_extent() const override;

    bool has_fixed_position() const { return m_position_is_fixed; }
    // The last two raw Fixed positions applied, newest last.
    const std::array<std::array<Fixed, 2>, 2>& fixed_positions() const { return m_fixed_positions; }

private:
    int32_t m_position;
    int32_t m_rotation;
    int32_t m_scale;
    bool m_position_is_fixed;
    std::array<std::array<Fixed, 2>, 2> m_fixed_positions{};
};

// The sprite index (an Int channel): the clip's skin or resource sprite,
// none for a negative index.
class ClipSpriteChannelController : public ClipController {
public:
    static const ClassRecord kClassRecord;

    ClipSpriteChannelController(ClipObject& target, int32_t sprite);
    const ClassRecord& class_record() const override { return kClassRecord; }
    bool update(Clip& clip, int32_t code) override;
    size_t channel_extent() const override { return span_extent(m_sprite, 1); }

private:
    int32_t m_sprite;
};

// Red, green and blue (three channels) and alpha (one).
class ClipColorChannelController : public ClipController {
public:
    static const ClassRecord kClassRecord;

    ClipColorChannelController(ClipObject& target, int32_t color, int32_t alpha);
    const ClassRecord& class_record() const override { return kClassRecord; }
    bool update(Clip& clip, int32_t code) override;
    size_t channel_extent() const override;

private:
    int32_t m_color;
    int32_t m_alpha;
};

// The z order (an Int channel).
class ClipZOrderChannelController : public ClipController {
public:
    static const ClassRecord kClassRecord;

    ClipZOrderChannelController(ClipObject& target, int32_t z_order);
    const ClassRecord& class_record() const override { return kClassRecord; }
    bool update(Clip& clip, int32_t code) override;
    size_t channel_extent() const override { return span_extent(m_z_order, 1); }

private:
    int32_t m_z_order;
};

// Fires the command of every key the clip's time crossed since the last
// update, in key order: the channel's cell at each key is the index of a
// command of the resource, called with the clip's command handler as this.
class ClipCommandsChannelController : public ClipController {
public:
    static const ClassRecord kClassRecord;

    ClipCommandsChannelController(ClipObject& target, int32_t command);
    const ClassRecord& class_record() const override { return kClassRecord; }
    bool update(Clip& clip, int32_t code) override;
    size_t channel_extent() const override { return span_extent(m_command, 1); }

private:
    int32_t m_command;
};

}  // namespace me::clip
