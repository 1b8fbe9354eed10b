#include "gpu/view2d_gl.h"

#include <GL/glew.h>

#include <cmath>

#include "gpu/render_device.h"

namespace me {

void load_view(RenderDevice& device, const View2d& view, float window_height) {
    const GLViewportRect rect = view.gl_viewport(window_height);
    device.set_viewport(static_cast<int>(std::lround(rect.x)), static_cast<int>(std::lround(rect.y)),
                        static_cast<int>(std::lround(rect.width)), static_cast<int>(std::lround(rect.height)));
    device.record_view_sizes(view.viewport().size, view.canvas_size());
    if (!device.has_gl_context())
        return;
    const Matrix4 projection = view.gl_projection();
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projection.elements.data());
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(view.view().elements.data());
}

}  // namespace me
