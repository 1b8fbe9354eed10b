#include "gpu/gl_framebuffer_calls.h"

namespace me {

GlFramebufferCalls find_framebuffer_calls() {
    if (GLEW_VERSION_3_0 || GLEW_ARB_framebuffer_object)
        return {glGenFramebuffers,        glDeleteFramebuffers,   glBindFramebuffer,  glFramebufferTexture2D,
                glFramebufferRenderbuffer, glCheckFramebufferStatus, glGenRenderbuffers, glDeleteRenderbuffers,
                glBindRenderbuffer,        glRenderbufferStorage};
    if (GLEW_EXT_framebuffer_object)
        return {glGenFramebuffersEXT,        glDeleteFramebuffersEXT,   glBindFramebufferEXT,
                glFramebufferTexture2DEXT,   glFramebufferRenderbufferEXT, glCheckFramebufferStatusEXT,
                glGenRenderbuffersEXT,       glDeleteRenderbuffersEXT,  glBindRenderbufferEXT,
                glRenderbufferStorageEXT};
    return {};
}

}  // namespace me
