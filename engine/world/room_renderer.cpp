#include "world/room_renderer.h"

#include <algorithm>
#include <cmath>

#include "gpu/quad_batch.h"
#include "gpu/render_device.h"
#include "gpu/view2d.h"
#include "gpu/view2d_gl.h"
#include "resources/sprite_drawing.h"
#include "world/gorath_globals.h"

namespace me {

namespace {

constexpr Color kWhite{1.0f, 1.0f, 1.0f, 1.0f};

struct CanvasRect {
    Vec2 min;
    Vec2 max;
};

CanvasRect visible_rect(const View2d& view) {
    const std::array<Vec2, 2> corners = view.visible_canvas_rectangle();
    return {{std::min(corners[0].x, corners[1].x), std::min(corners[0].y, corners[1].y)},
            {std::max(corners[0].x, corners[1].x), std::max(corners[0].y, corners[1].y)}};
}

}  // namespace

bool RoomRenderer::needs_light_pass(const RoomDrawLists& lists, Color ambient, bool debug_lights) {
    return debug_lights || ambient != kWhite || !lists.list(RoomDrawLists::kLight).empty() ||
           !lists.list(RoomDrawLists::kSecond).empty();
}

void RoomRenderer::render(const View2d& view, RoomDrawLists& lists, Color ambient, bool debug_lights) {
    lists.sort();
    begin_view(view);
    draw_list(view, lists.list(RoomDrawLists::kMain));
    m_batch.flush();
    if (g_gorath_globals != nullptr && needs_light_pass(lists, ambient, debug_lights))
        light_pass(view, lists, ambient, debug_lights);
    lists.clear();
}

void RoomRenderer::render_fade(const View2d& view, const Sprite& white, float amount) {
    begin_view(view);
    const CanvasRect rect = visible_rect(view);
    solid_rectangle(kDebugDrawLayer, white, rect.min, rect.max, {0.0f, 0.0f, 0.0f, amount}).draw(m_batch);
    m_batch.flush();
}

void RoomRenderer::begin_view(const View2d& view) {
    if (m_output == nullptr)
        m_device.begin_view();
    bind_output();
    load_view(m_device, view, m_window_height);
    m_batch.reset();
}

void RoomRenderer::bind_output() {
    if (!m_device.set_frame_buffer(m_output))
        m_device.set_frame_buffer(nullptr);
}

void RoomRenderer::draw_list(const View2d& view, const std::vector<DrawEntry>& entries) {
    for (const DrawEntry& entry : entries) {
        if (entry.scissor)
            draw_scissored(view, entry);
        else
            entry.draw(m_batch);
    }
}

// Only what lies above the entry's ground line on screen is drawn (a body
// sinking into water); nothing when that line is above the view.
void RoomRenderer::draw_scissored(const View2d& view, const DrawEntry& entry) {
    const Viewport& viewport = view.viewport();
    const float row = std::min(view.canvas_to_screen({0.0f, entry.ground_y}).y, viewport.position.y + viewport.size.y);
    if (row <= viewport.position.y)
        return;
    m_batch.flush();
    m_device.set_scissor(static_cast<int>(std::lround(viewport.position.x)),
                         static_cast<int>(std::lround(m_window_height - row)),
                         static_cast<int>(std::lround(viewport.size.x)),
                         static_cast<int>(std::lround(row - viewport.position.y)));
    entry.draw(m_batch);
    m_batch.flush();
    m_device.lift_scissor();
}

void RoomRenderer::light_pass(const View2d& view, const RoomDrawLists& lists, Color ambient, bool debug_lights) {
    GorathGlobals& globals = *g_gorath_globals;
    const std::vector<DrawEntry>& masks = lists.list(RoomDrawLists::kSecond);
    const bool masked = !masks.empty() && fill_layer(globals.light_mask(), view, kWhite, masks);
    m_batch.set_blend_state(globals.additive());
    const bool lit = fill_layer(globals.light_map(), view, {ambient.red, ambient.green, ambient.blue, 1.0f},
                                lists.list(RoomDrawLists::kLight));
    if (lit && masked) {
        m_batch.set_blend_state(globals.multiply());
        cover_view(*globals.light_map().view(), globals.light_mask());
    }
    m_batch.set_blend_state(nullptr);
    bind_output();
    load_view(m_device, view, m_window_height);
    if (!lit)
        return;
    m_batch.set_blend_state(debug_lights ? nullptr : globals.multiply());
    cover_view(view, globals.light_map());
    m_batch.set_blend_state(nullptr);
}

bool RoomRenderer::fill_layer(OffscreenLayer& layer, const View2d& view, Color clear,
                              const std::vector<DrawEntry>& entries) {
    if (!layer.begin(m_device, view))
        return false;
    clear_to(clear);
    for (const DrawEntry& entry : entries)
        entry.draw(m_batch);
    m_batch.flush();
    return true;
}

void RoomRenderer::clear_to(Color color) {
    const std::array<float, 4> kept = m_device.clear_color();
    m_device.set_clear_color({color.red, color.green, color.blue, color.alpha});
    m_device.clear();
    m_device.set_clear_color(kept);
    m_batch.reset();
}

void RoomRenderer::cover_view(const View2d& view, OffscreenLayer& layer) {
    const Sprite* picture = layer.picture();
    const Vec2 size = layer.drawn_size();
    if (picture == nullptr || size.x <= 0.0f || size.y <= 0.0f)
        return;
    const CanvasRect rect = visible_rect(view);
    const float scale_x = (rect.max.x - rect.min.x) / size.x;
    const float scale_y = (rect.max.y - rect.min.y) / size.y;
    draw_sprite(m_batch, *picture, Matrix2d{scale_x, 0.0f, 0.0f, -scale_y, rect.min.x, rect.max.y});
    m_batch.flush();
}

}  // namespace me
