#include "gpu/render_device.h"

#include <algorithm>
#include <utility>

#include "core/log.h"
#include "gpu/shader_loader.h"

namespace me {

RenderDevice* g_render_device = nullptr;

RenderDevice::RenderDevice() : m_fixed_shader(make_fixed_shader()) { intern_default_states(); }

RenderDevice::~RenderDevice() = default;

void RenderDevice::intern_default_states() {
    m_current_state = render_state(kDepthTestOff, false, CullMode::Off, static_cast<int>(BlendMode::Opaque));
    m_frame_default_state = render_state(kDepthTestLess, true, CullMode::Back, static_cast<int>(BlendMode::Opaque));
    m_clear_state = render_state(kDepthTestOff, true, CullMode::Off, static_cast<int>(BlendMode::Opaque));
}

bool RenderDevice::initialize_gl() {
    if (!start_glew(m_capabilities)) {
        m_gl.set_has_context(false);
        return false;
    }
    m_gl.set_has_context(true);
    m_gl.set_buffer_objects_available(m_capabilities.buffer_objects);
    m_vertex_arrays.set_vertex_arrays_available(m_capabilities.vertex_arrays);
    m_framebuffer_calls = find_framebuffer_calls();
    m_textures.reset();
    m_vertex_arrays.reset();
    if (m_started)
        set_fixed_state();
    return true;
}

void RenderDevice::start() {
    m_started = true;
    set_fixed_state();
}

void RenderDevice::set_fixed_state() {
    m_current_state = m_states.intern(make_render_state(kDepthTestOff, false, CullMode::Off, 0));
    m_current_shader = nullptr;
    if (!m_gl.has_context())
        return;
    glFrontFace(GL_CCW);
    glShadeModel(GL_SMOOTH);
    for (GLenum capability : {GL_ALPHA_TEST, GL_DITHER, GL_FOG, GL_LIGHTING, GL_SCISSOR_TEST})
        glDisable(capability);
    glEnable(GL_TEXTURE_2D);
    apply_render_state(nullptr, *m_current_state, m_gl);
}

void RenderDevice::release_shared_object() {
    set_shader(nullptr);
    m_vertex_arrays.reset();
    m_builtins.clear();
    m_white_texture = 0;
    m_gl.set_has_context(false);
}

const RenderState* RenderDevice::render_state(int depth_test, bool depth_write, CullMode cull, int blend_mode) {
    return m_states.intern(make_render_state(depth_test, depth_write, cull, blend_mode));
}

void RenderDevice::set_render_state(const RenderState* state) {
    if (state != nullptr && state != m_current_state)
        switch_to_state(state);
}

void RenderDevice::switch_to_state(const RenderState* state) {
    apply_render_state(m_current_state, *state, m_gl);
    m_current_state = state;
}

void RenderDevice::begin_frame() {
    set_render_state(m_frame_default_state);
    m_previous_triangles = m_triangles;
    m_triangles = 0;
    m_views_drawn = 0;
}

void RenderDevice::begin_view() {
    set_frame_buffer(nullptr);
    if (m_clear_screen && m_views_drawn == 0)
        clear();
    ++m_views_drawn;
}

void RenderDevice::end_frame() {
    if (m_views_drawn == 0)
        begin_view();
}

void RenderDevice::clear() {
    set_render_state(m_clear_state);
    if (!m_gl.has_context())
        return;
    glClearColor(m_clear_color[0], m_clear_color[1], m_clear_color[2], m_clear_color[3]);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

void RenderDevice::set_viewport(int x, int y, int width, int height) {
    if (m_gl.has_context() && width >= 0 && height >= 0)
        glViewport(x, y, width, height);
}

void RenderDevice::set_scissor(int x, int y, int width, int height) {
    if (!m_gl.has_context())
        return;
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, std::max(width, 0), std::max(height, 0));
}

void RenderDevice::lift_scissor() {
    if (m_gl.has_context())
        glDisable(GL_SCISSOR_TEST);
}

std::shared_ptr<VertexBuffer> RenderDevice::create_vertex_buffer(const VertexDeclaration& declaration,
                                                                 size_t capacity, BufferUsage usage) {
    return std::make_shared<VertexBuffer>(m_gl, declaration, capacity, usage);
}

std::shared_ptr<IndexBuffer> RenderDevice::create_index_buffer(size_t capacity, BufferUsage usage) {
    return std::make_shared<IndexBuffer>(m_gl, capacity, usage);
}

const VertexLayout* RenderDevice::vertex_layout(std::span<const VertexDeclaration* const> declarations,
                                                const Shader& shader) {
    return m_layouts.intern(
        build_vertex_layout(declarations, shader.attributes(), shader.kind() == ShaderKind::Custom));
}

std::shared_ptr<VertexGeometry> RenderDevice::create_geometry(const Shader& shader,
                                                              std::array<std::shared_ptr<VertexBuffer>, 2> buffers,
                                                              std::shared_ptr<IndexBuffer> indices) {
    if (!buffers[0])
        return nullptr;
    std::array<const VertexDeclaration*, 2> declarations{&buffers[0]->declaration(),
                                                         buffers[1] ? &buffers[1]->declaration() : nullptr};
    const size_t count = buffers[1] ? 2 : 1;
    const VertexLayout* layout = vertex_layout(std::span(declarations.data(), count), shader);
    if (layout == nullptr)
        return nullptr;
    auto geometry = std::make_shared<VertexGeometry>(m_gl, *layout, std::move(buffers), std::move(indices));
    m_vertex_arrays.prepare(*geometry);
    return geometry;
}

void RenderDevice::set_geometry(const std::shared_ptr<VertexGeometry>& geometry) { m_vertex_arrays.bind(geometry); }

void RenderDevice::set_shader(const Shader* shader) {
    if (shader == m_current_shader)
        return;
    const GLhandleARB program = shader != nullptr && shader->kind() == ShaderKind::Custom ? shader->program() : 0;
    const GLhandleARB previous = m_current_shader != nullptr && m_current_shader->kind() == ShaderKind::Custom
                                     ? m_current_shader->program()
                                     : 0;
    m_current_shader = shader;
    if (program != previous && m_gl.has_context())
        glUseProgramObjectARB(program);
}

bool RenderDevice::can_draw() const { return m_gl.has_context() && m_vertex_arrays.current() != nullptr; }

void RenderDevice::draw_triangles(int first_vertex, int vertex_count) {
    if (!can_draw() || first_vertex < 0 || vertex_count <= 0)
        return;
    glDrawArrays(GL_TRIANGLES, first_vertex, vertex_count);
    m_triangles += static_cast<uint64_t>(vertex_count / 3);
}

void RenderDevice::draw_indexed_triangles(int index_count) {
    const IndexBuffer* indices = can_draw() ? m_vertex_arrays.current()->indices() : nullptr;
    if (indices == nullptr || index_count <= 0 || static_cast<size_t>(index_count) > indices->storage().capacity())
        return;
    const uint8_t* client = indices->storage().client_data();
    glDrawElements(GL_TRIANGLES, index_count, GL_UNSIGNED_SHORT, client);
    m_triangles += static_cast<uint64_t>(index_count / 3);
}

bool RenderDevice::bind_texture(int unit, TextureTarget target, GLuint texture) {
    return m_textures.bind(unit, target, texture);
}

void RenderDevice::hold_builtins(std::vector<ResourceRef<EngineObject>> builtins, GLuint white_texture) {
    m_builtins = std::move(builtins);
    m_white_texture = white_texture;
}

std::unique_ptr<RenderTarget> RenderDevice::create_render_buffer_target(GLenum internal_format, int width,
                                                                        int height) {
    return RenderTarget::make_render_buffer(m_gl, m_framebuffer_calls, internal_format, width, height);
}

std::shared_ptr<FrameBufferObject> RenderDevice::create_frame_buffer_object() {
    return std::make_shared<FrameBufferObject>(m_gl, m_framebuffer_calls);
}

bool RenderDevice::set_frame_buffer(const FrameBuffer* frame_buffer) {
    if (!m_gl.has_context() || !m_framebuffer_calls.available())
        return frame_buffer == nullptr;
    const GLuint name = frame_buffer != nullptr ? frame_buffer->object().gl_name() : 0;
    if (name != m_gl.bound_framebuffer()) {
        m_framebuffer_calls.bind_framebuffer(GL_FRAMEBUFFER, name);
        m_gl.set_bound_framebuffer(name);
    }
    return frame_buffer == nullptr || frame_buffer->configure_bound_object();
}

}  // namespace me
