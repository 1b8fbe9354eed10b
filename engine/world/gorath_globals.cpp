#include "world/gorath_globals.h"

#include <algorithm>
#include <cmath>

#include "gpu/blend_mode.h"
#include "gpu/render_device.h"
#include "gpu/view2d_gl.h"
#include "image/frame_finder.h"
#include "resources/texture.h"

namespace me {

GorathGlobals* g_gorath_globals = nullptr;

namespace {

constexpr float kTargetSize = static_cast<float>(RenderTarget::kTextureSize);

const RenderState* blend_state(RenderDevice& device, BlendMode mode) {
    return device.render_state(kDepthTestOff, false, CullMode::Off, static_cast<int>(mode));
}

// The viewport size scaled down, aspect kept, until it fits the target.
Vec2 fitted_size(Vec2 size) {
    const float largest = std::max(size.x, size.y);
    const float shrink = largest > kTargetSize ? kTargetSize / largest : 1.0f;
    return {std::floor(size.x * shrink), std::floor(size.y * shrink)};
}

}  // namespace

OffscreenLayer::OffscreenLayer(RenderDevice& device)
    : m_target(make_texture_target(device)),
      m_frame_buffer(device.create_frame_buffer_object(), {m_target}, nullptr),
      m_view(new View2d()) {}

bool OffscreenLayer::begin(RenderDevice& device, const View2d& shown) {
    if (!device.has_gl_context() || target_texture(*m_target) == nullptr)
        return false;
    if (!device.set_frame_buffer(&m_frame_buffer)) {
        device.set_frame_buffer(nullptr);
        return false;
    }
    m_drawn_size = fitted_size(shown.viewport().size);
    View2d& view = *m_view.get();
    view.set_canvas_size(shown.canvas_size());
    view.set_camera_position(shown.camera_position());
    view.set_camera_zoom(shown.zoom());
    view.set_viewport_position({0.0f, 0.0f});
    view.set_viewport_size(m_drawn_size);
    load_view(device, view, kTargetSize);
    return true;
}

// GL fills a target from its bottom row up, so the picture is the top-left
// drawn rectangle counted from the texture's last row; the sprite shows it
// upside down and is drawn flipped.
const Sprite* OffscreenLayer::picture() {
    Texture* texture = target_texture(*m_target);
    if (texture == nullptr)
        return nullptr;
    if (!m_picture || m_picture_size != m_drawn_size) {
        const FrameRect rectangle{0.0f, kTargetSize - m_drawn_size.y, m_drawn_size.x, m_drawn_size.y, 0.0f, 0.0f};
        m_picture = make_frame_sprite(*texture, rectangle);
        m_picture_size = m_drawn_size;
    }
    return m_picture.get();
}

GorathGlobals::GorathGlobals(RenderDevice& device)
    : m_additive(blend_state(device, BlendMode::Add)),
      m_multiply(blend_state(device, BlendMode::Multiply)),
      m_light_map(device),
      m_light_mask(device) {}

void initialize_gorath_globals() {
    if (g_gorath_globals == nullptr && g_render_device != nullptr)
        g_gorath_globals = new GorathGlobals(*g_render_device);
}

void shutdown_gorath_globals() {
    delete g_gorath_globals;
    g_gorath_globals = nullptr;
}

}  // namespace me
