#pragma once

#include <memory>

#include "core/float_vector.h"
#include "core/resource_ref.h"
#include "gpu/frame_buffer.h"
#include "gpu/render_state.h"
#include "gpu/view2d.h"
#include "resources/sprite.h"

namespace me {

class RenderDevice;

// One off-screen picture the room renders into: its target, the frame
// buffer that draws into it and the view that maps a room's view onto it.
class OffscreenLayer {
public:
    explicit OffscreenLayer(RenderDevice& device);

    // Binds the frame buffer and loads a view showing what `shown` shows,
    // its viewport shrunk to fit the target when larger. False when the
    // target cannot be drawn into (no context, no frame-buffer objects).
    bool begin(RenderDevice& device, const View2d& shown);
    // The part of the target the last begin drew into, as a sprite that
    // shows it upside down; null without a target texture.
    const Sprite* picture();
    Vec2 drawn_size() const { return m_drawn_size; }
    // The view the last begin loaded.
    const View2d* view() const { return m_view.get(); }

private:
    std::shared_ptr<RenderTarget> m_target;
    FrameBuffer m_frame_buffer;
    ResourceRef<View2d> m_view;
    Vec2 m_drawn_size;
    Vec2 m_picture_size;
    ResourceRef<Sprite> m_picture;
};

// The rendering resources rooms share: the blend states of the light pass
// and the light map and light mask layers, each with its target and view.
// Made by initialize_gorath_globals and
// released by shutdown_gorath_globals (or at the latest before the render
// device lets go of its GL objects).
class GorathGlobals {
public:
    explicit GorathGlobals(RenderDevice& device);

    const RenderState* additive() const { return m_additive; }
    const RenderState* multiply() const { return m_multiply; }
    OffscreenLayer& light_map() { return m_light_map; }
    OffscreenLayer& light_mask() { return m_light_mask; }

private:
    const RenderState* m_additive;
    const RenderState* m_multiply;
    OffscreenLayer m_light_map;
    OffscreenLayer m_light_mask;
};

// Null until initialize_gorath_globals.
extern GorathGlobals* g_gorath_globals;

void initialize_gorath_globals();
void shutdown_gorath_globals();

}  // namespace me
