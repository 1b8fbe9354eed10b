#pragma once

#include <GL/glew.h>

namespace me {

// Frame-buffer entry points: core/ARB_framebuffer_object when present,
// otherwise EXT_framebuffer_object, whose calls take the same arguments.
struct GlFramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC gen_framebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC delete_framebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bind_framebuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DPROC framebuffer_texture_2d = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebuffer_renderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC check_framebuffer_status = nullptr;
    PFNGLGENRENDERBUFFERSPROC gen_renderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC delete_renderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bind_renderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbuffer_storage = nullptr;

    bool available() const { return gen_framebuffers != nullptr; }
};

// Picks the entry points of the current context (after GLEW start-up); all
// null when the context has no frame-buffer objects.
GlFramebufferCalls find_framebuffer_calls();

}  // namespace me
