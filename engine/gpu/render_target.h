#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <memory>

#include "core/resource_ref.h"
#include "gpu/gl_framebuffer_calls.h"
#include "gpu/gl_state_cache.h"
#include "script/engine_object.h"

namespace me {

enum class RenderTargetKind { Texture = 1, RenderBuffer = 2 };

// Something a frame buffer draws into: a texture (which can then be drawn
// with) or a render buffer (colour or depth storage only).
class RenderTarget {
public:
    static constexpr int kTextureSize = 1024;

    // A kTextureSize square texture target drawing into the GL texture name;
    // texture keeps the object that owns that texture alive as long as the
    // target. Without a context the name is 0.
    static std::unique_ptr<RenderTarget> make_texture(GlStateCache& gl, ResourceRef<EngineObject> texture,
                                                      GLuint name);
    // internal_format e.g. GL_RGBA8 or GL_DEPTH_COMPONENT24; null when the
    // size is not positive.
    static std::unique_ptr<RenderTarget> make_render_buffer(GlStateCache& gl, const GlFramebufferCalls& calls,
                                                           GLenum internal_format, int width, int height);
    ~RenderTarget();
    RenderTarget(const RenderTarget&) = delete;
    RenderTarget& operator=(const RenderTarget&) = delete;

    RenderTargetKind kind() const { return m_kind; }
    GLuint gl_name() const { return m_name; }
    // The object owning the texture drawn into; null for a render buffer.
    EngineObject* texture_owner() const { return m_texture.get(); }
    int width() const { return m_width; }
    int height() const { return m_height; }

private:
    RenderTarget(GlStateCache& gl, RenderTargetKind kind, int width, int height);

    GlStateCache& m_gl;
    RenderTargetKind m_kind;
    int m_width;
    int m_height;
    GLuint m_name = 0;
    ResourceRef<EngineObject> m_texture;
    const GlFramebufferCalls* m_calls = nullptr;
};

}  // namespace me
