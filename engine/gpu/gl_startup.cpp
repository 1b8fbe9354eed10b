#include "gpu/gl_startup.h"

#include <GL/glew.h>

#include "core/log.h"

namespace me {
namespace {

std::string gl_string(GLenum name) {
    const auto* text = reinterpret_cast<const char*>(glGetString(name));
    return text != nullptr ? text : "";
}

// Drivers older than GL 1.5 may still have the extension; its entry points
// take the same arguments, so the core names are pointed at them.
void use_arb_buffer_objects_when_core_is_missing() {
    if (GLEW_VERSION_1_5 || !GLEW_ARB_vertex_buffer_object)
        return;
    glGenBuffers = glGenBuffersARB;
    glDeleteBuffers = glDeleteBuffersARB;
    glBindBuffer = glBindBufferARB;
    glBufferData = glBufferDataARB;
    glBufferSubData = glBufferSubDataARB;
    glMapBuffer = glMapBufferARB;
    glUnmapBuffer = glUnmapBufferARB;
}

GlCapabilities query_capabilities() {
    GlCapabilities capabilities;
    capabilities.version = gl_string(GL_VERSION);
    capabilities.renderer = gl_string(GL_RENDERER);
    capabilities.vendor = gl_string(GL_VENDOR);
    capabilities.buffer_objects = (GLEW_VERSION_1_5 || GLEW_ARB_vertex_buffer_object) && glGenBuffers != nullptr;
    capabilities.vertex_arrays = (GLEW_VERSION_3_0 || GLEW_ARB_vertex_array_object) && glGenVertexArrays != nullptr;
    return capabilities;
}

}  // namespace

std::vector<std::string> capability_report(const GlCapabilities& capabilities) {
    return {
        format_message("OpenGL version: %1", capabilities.version),
        format_message("Running on %1 from %2", capabilities.renderer, capabilities.vendor),
        format_message("ARB_vertex_buffer_object: %1", capabilities.buffer_objects ? "yes" : "NO"),
    };
}

bool start_glew(GlCapabilities& capabilities) {
    log_info("Initializing GLEW...");
    glewExperimental = GL_TRUE;
    const GLenum result = glewInit();
    // A context made through EGL (SDL's offscreen and Wayland drivers) has no
    // GLX display; GLEW has loaded every GL entry point before it says so.
    if (result != GLEW_OK && result != GLEW_ERROR_NO_GLX_DISPLAY) {
        log_error(format_message("Error initializing GLEW: %1", result));
        return false;
    }
    use_arb_buffer_objects_when_core_is_missing();
    capabilities = query_capabilities();
    for (const std::string& line : capability_report(capabilities))
        log_info(line);
    return true;
}

}  // namespace me
