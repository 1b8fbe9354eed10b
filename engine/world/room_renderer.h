#pragma once

#include <vector>

#include "core/color.h"
#include "world/room_draw_list.h"

namespace me {

class FrameBuffer;
class OffscreenLayer;
class RenderDevice;
class View2d;

// Draws a room's filled lists into a view: the main list in order, then,
// when the room has lights, masks or a tinted ambient colour, a light map
// multiplied over it. The light map starts as the ambient colour; the light
// list adds to it and the second list, drawn into a mask cleared to white,
// multiplies it, so a mask darkens lights and ambient alike where its
// sprites cover it.
class RoomRenderer {
public:
    // Draws into the output frame buffer, whose height is given, or into the
    // window when it is null.
    RoomRenderer(RenderDevice& device, QuadBatch& batch, const FrameBuffer* output, float output_height)
        : m_device(device), m_batch(batch), m_output(output), m_window_height(output_height) {}

    // Sorts the lists and draws them; the lists are left empty.
    // debug_lights shows the light map itself instead of the lit room.
    void render(const View2d& view, RoomDrawLists& lists, Color ambient, bool debug_lights);
    // Black over the whole view at the given opacity.
    void render_fade(const View2d& view, const Sprite& white, float amount);

    static bool needs_light_pass(const RoomDrawLists& lists, Color ambient, bool debug_lights);

private:
    void begin_view(const View2d& view);
    void bind_output();
    void draw_list(const View2d& view, const std::vector<DrawEntry>& entries);
    void draw_scissored(const View2d& view, const DrawEntry& entry);
    void light_pass(const View2d& view, const RoomDrawLists& lists, Color ambient, bool debug_lights);
    // Fills the layer with the colour and draws the entries into it; false
    // when the layer cannot be drawn into.
    bool fill_layer(OffscreenLayer& layer, const View2d& view, Color clear, const std::vector<DrawEntry>& entries);
    void clear_to(Color color);
    // The layer's picture stretched over what the loaded view shows.
    void cover_view(const View2d& view, OffscreenLayer& layer);

    RenderDevice& m_device;
    QuadBatch& m_batch;
    const FrameBuffer* m_output;
    float m_window_height;
};

}  // namespace me
