#include "render/render_target.h"

#include "resources/resource_registry.h"
#include "resources/texture.h"
#include "script/bind_class.h"

namespace me {

namespace {

// Sets the key and value just pushed in the table below them.
void set_slot(HSQUIRRELVM vm) {
    if (SQ_FAILED(sq_newslot(vm, -3, SQFalse)))
        fail_binding_call("sq_rawset( v, top + 1 )");
}

// { dynamic = true, clampuv = true, width = 1024, height = 1024,
//   image_width = 1024, image_height = 1024, format = "rgba" }; null without a
// resource registry.
ScriptObject target_texture_def() {
    HSQUIRRELVM vm = resource_vm();
    if (vm == nullptr)
        return {};
    const SQInteger top = sq_gettop(vm);
    sq_newtable(vm);
    for (const char* flag : {"dynamic", "clampuv"}) {
        sq_pushstring(vm, flag, -1);
        sq_pushbool(vm, SQTrue);
        set_slot(vm);
    }
    for (const char* size : {"width", "height", "image_width", "image_height"}) {
        sq_pushstring(vm, size, -1);
        sq_pushinteger(vm, RenderTarget::kTextureSize);
        set_slot(vm);
    }
    sq_pushstring(vm, "format", -1);
    sq_pushstring(vm, "rgba", -1);
    set_slot(vm);
    ScriptObject def(vm, -1);
    sq_settop(vm, top);
    return def;
}

}  // namespace

RenderTarget::RenderTarget(GlStateCache& gl, RenderTargetKind kind, int width, int height)
    : m_gl(gl), m_kind(kind), m_width(width), m_height(height) {}

std::unique_ptr<RenderTarget> RenderTarget::make_texture(GlStateCache& gl) {
    std::unique_ptr<RenderTarget> target(new RenderTarget(gl, RenderTargetKind::Texture, kTextureSize, kTextureSize));
    target->m_texture = load_texture_from_def(target_texture_def());
    if (target->m_texture)
        target->m_name = target->m_texture->gl_name();
    return target;
}

std::unique_ptr<RenderTarget> RenderTarget::make_render_buffer(GlStateCache& gl, const GlFramebufferCalls& calls,
                                                               GLenum internal_format, int width, int height) {
    if (width <= 0 || height <= 0)
        return nullptr;
    std::unique_ptr<RenderTarget> target(new RenderTarget(gl, RenderTargetKind::RenderBuffer, width, height));
    target->m_calls = &calls;
    if (!gl.has_context() || !calls.available())
        return target;
    calls.gen_renderbuffers(1, &target->m_name);
    calls.bind_renderbuffer(GL_RENDERBUFFER, target->m_name);
    calls.renderbuffer_storage(GL_RENDERBUFFER, internal_format, width, height);
    calls.bind_renderbuffer(GL_RENDERBUFFER, 0);
    return target;
}

// A texture target's texture goes with its last reference.
RenderTarget::~RenderTarget() {
    if (m_kind == RenderTargetKind::RenderBuffer && m_name != 0 && m_gl.has_context())
        m_calls->delete_renderbuffers(1, &m_name);
}

}  // namespace me
