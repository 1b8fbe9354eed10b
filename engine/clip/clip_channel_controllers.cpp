#include "clip/clip_channel_controllers.h"

#include <algorithm>

#include "clip/clip.h"
#include "clip/clip_channel.h"
#include "core/log.h"
#include "resources/sprite.h"
#include "script/script_host.h"

namespace me::clip {

namespace {

float float_value(std::span<const uint32_t> values, int32_t channel) {
    return float_of_cell(values[static_cast<size_t>(channel)]);
}

int32_t int_value(std::span<const uint32_t> values, int32_t channel) {
    return int_of_cell(values[static_cast<size_t>(channel)]);
}

}  // namespace

bool is_channel_span(int64_t channel, int32_t width, size_t channel_count) {
    return channel == kNoChannel || (channel >= 0 && channel + width <= static_cast<int64_t>(channel_count));
}

size_t span_extent(int32_t channel, int32_t width) {
    return channel >= 0 ? static_cast<size_t>(channel) + static_cast<size_t>(width) : 0;
}

const ClassRecord ClipTransformChannelController::kClassRecord{"ClipTransformChannelController",
                                                               &ClipController::kClassRecord};
const ClassRecord ClipSpriteChannelController::kClassRecord{"ClipSpriteChannelController",
                                                            &ClipController::kClassRecord};
const ClassRecord ClipColorChannelController::kClassRecord{"ClipColorChannelController",
                                                           &ClipController::kClassRecord};
const ClassRecord ClipZOrderChannelController::kClassRecord{"ClipZOrderChannelController",
                                                            &ClipController::kClassRecord};
const ClassRecord ClipCommandsChannelController::kClassRecord{"ClipCommandsChannelController",
                                                              &ClipController::kClassRecord};

ClipTransformChannelController::ClipTransformChannelController(ClipObject& target, int32_t position,
                                                               int32_t rotation, int32_t scale,
                                                               bool position_is_fixed)
    : ClipController(target),
      m_position(position),
      m_rotation(rotation),
      m_scale(scale),
      m_position_is_fixed(position_is_fixed) {}

size_t ClipTransformChannelController::channel_extent() const {
    return std::max({span_extent(m_position, 2), span_extent(m_rotation, 1), span_extent(m_scale, 2)});
}

bool ClipTransformChannelController::update(Clip& clip, int32_t) {
    ClipObject* node = target();
    if (node == nullptr)
        return false;
    const std::span<const uint32_t> values = clip.values();
    if (m_position >= 0 && m_position_is_fixed) {
        const std::array<Fixed, 2> raw{int_value(values, m_position), int_value(values, m_position + 1)};
        m_fixed_positions = {m_fixed_positions[1], raw};
        node->set_position({fixed_to_float(raw[0]), fixed_to_float(raw[1])});
    } else if (m_position >= 0) {
        node->set_position({float_value(values, m_position), float_value(values, m_position + 1)});
    }
    if (m_rotation >= 0)
        node->set_rotation(float_value(values, m_rotation));
    if (m_scale >= 0)
        node->set_scale({float_value(values, m_scale), float_value(values, m_scale + 1)});
    return true;
}

ClipSpriteChannelController::ClipSpriteChannelController(ClipObject& target, int32_t sprite)
    : ClipController(target), m_sprite(sprite) {}

bool ClipSpriteChannelController::update(Clip& clip, int32_t) {
    ClipObject* node = target();
    if (node == nullptr)
        return false;
    if (m_sprite >= 0)
        node->set_sprite(ResourceRef<Sprite>(clip.sprite_at(int_value(clip.values(), m_sprite))));
    return true;
}

ClipColorChannelController::ClipColorChannelController(ClipObject& target, int32_t color, int32_t alpha)
    : ClipController(target), m_color(color), m_alpha(alpha) {}

size_t ClipColorChannelController::channel_extent() const {
    return std::max(span_extent(m_color, 3), span_extent(m_alpha, 1));
}

bool ClipColorChannelController::update(Clip& clip, int32_t) {
    ClipObject* node = target();
    if (node == nullptr)
        return false;
    const std::span<const uint32_t> values = clip.values();
    if (m_color >= 0)
        node->set_color({float_value(values, m_color), float_value(values, m_color + 1),
                         float_value(values, m_color + 2), node->color().alpha});
    if (m_alpha >= 0)
        node->set_alpha(float_value(values, m_alpha));
    return true;
}

ClipZOrderChannelController::ClipZOrderChannelController(ClipObject& target, int32_t z_order)
    : ClipController(target), m_z_order(z_order) {}

bool ClipZOrderChannelController::update(Clip& clip, int32_t) {
    ClipObject* node = target();
    if (node == nullptr)
        return false;
    if (m_z_order >= 0)
        node->set_z_order(int_value(clip.values(), m_z_order));
    return true;
}

ClipCommandsChannelController::ClipCommandsChannelController(ClipObject& target, int32_t command)
    : ClipController(target), m_command(command) {}

bool ClipCommandsChannelController::update(Clip& clip, int32_t code) {
    if (target() == nullptr)
        return false;
    // Held: a command may give the clip another resource.
    const ResourceRef<ClipResource> resource(clip.resource());
    if (code <= 0 || m_command < 0 || !resource)
        return true;
    const int32_t first = clip.previous_key();
    const int32_t last = clip.current_key();
    for (int32_t key = first; key < last; ++key) {
        const int32_t index = int_of_cell(resource->channel_cell(static_cast<size_t>(m_command), key));
        if (index < 0)
            continue;
        if (static_cast<size_t>(index) >= resource->commands().size()) {
            log_error(format_message("Clip '%1' has no command %2 (key %3).", resource->get_name(), index, key));
            continue;
        }
        if (g_script_host != nullptr)
            g_script_host->call(resource->commands()[static_cast<size_t>(index)],
                                clip.command_this(g_script_host->vm()));
    }
    return true;
}

}  // namespace me::clip
