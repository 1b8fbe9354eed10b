#pragma once

namespace me {

// The owner of OpenGL state, buffers and views. Not built yet: frames begin
// and end without drawing anything.
class RenderDevice {
public:
    void start() {}
    void begin_frame() {}
    void end_frame() {}
    void reset_frame_statistics() {}
    void release_shared_object() {}
};

extern RenderDevice* g_render_device;

}  // namespace me
