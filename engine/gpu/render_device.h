#pragma once

#include <array>
#include <memory>
#include <span>
#include <vector>

#include "core/float_vector.h"
#include "core/resource_ref.h"
#include "gpu/frame_buffer.h"
#include "gpu/gl_startup.h"
#include "gpu/gl_state_cache.h"
#include "gpu/render_state.h"
#include "gpu/render_state_table.h"
#include "gpu/shader.h"
#include "gpu/texture_unit.h"
#include "gpu/vertex_array_binder.h"
#include "script/engine_object.h"

namespace me {


// The one object through which everything draws with OpenGL. It exists
// without a context too (servers, no display): everything that would reach
// GL then does nothing, and buffers live in client memory.
class RenderDevice {
public:
    RenderDevice();
    ~RenderDevice();
    RenderDevice(const RenderDevice&) = delete;
    RenderDevice& operator=(const RenderDevice&) = delete;

    // The window's set-up step, run with each new context current: GLEW and
    // the capability report. After the first start the device's own GL
    // objects are made again in the new context.
    bool initialize_gl();
    // Start-up once the window exists: the fixed default state, the interned
    // defaults and the built-in texture and shader.
    void start();
    // Gives up every GL object while the context still exists.
    void release_shared_object();
    bool has_gl_context() const { return m_gl.has_context(); }
    const GlCapabilities& capabilities() const { return m_capabilities; }

    void begin_frame();
    void end_frame();
    // The view about to draw: default frame buffer, the frame's first clear.
    void begin_view();
    void clear();
    void set_clear_screen(bool clear) { m_clear_screen = clear; }
    bool clear_screen() const { return m_clear_screen; }
    void set_clear_color(const std::array<float, 4>& color) { m_clear_color = color; }
    const std::array<float, 4>& clear_color() const { return m_clear_color; }
    void set_viewport(int x, int y, int width, int height);
    // Limits drawing to a window rectangle counted, as GL counts, from the
    // bottom row up; the limit stays until it is lifted.
    void set_scissor(int x, int y, int width, int height);
    void lift_scissor();
    // The viewport and canvas sizes of the view loaded last, for drawing code
    // that sizes itself to the view.
    void record_view_sizes(Vec2 viewport, Vec2 canvas) {
        m_view_viewport_size = viewport;
        m_view_canvas_size = canvas;
    }
    Vec2 view_viewport_size() const { return m_view_viewport_size; }
    Vec2 view_canvas_size() const { return m_view_canvas_size; }
    int views_drawn() const { return m_views_drawn; }

    // Null when the state table is full.
    const RenderState* render_state(int depth_test, bool depth_write, CullMode cull, int blend_mode);
    void set_render_state(const RenderState* state);
    const RenderState* current_render_state() const { return m_current_state; }
    const RenderState* frame_default_state() const { return m_frame_default_state; }
    const RenderState* clear_state() const { return m_clear_state; }

    std::shared_ptr<VertexBuffer> create_vertex_buffer(const VertexDeclaration& declaration, size_t capacity,
                                                       BufferUsage usage);
    std::shared_ptr<IndexBuffer> create_index_buffer(size_t capacity, BufferUsage usage);
    // Null when the layout table is full.
    const VertexLayout* vertex_layout(std::span<const VertexDeclaration* const> declarations, const Shader& shader);
    // Geometry of one or two vertex buffers for the shader; null without a
    // first buffer or when no layout can be had.
    std::shared_ptr<VertexGeometry> create_geometry(const Shader& shader,
                                                    std::array<std::shared_ptr<VertexBuffer>, 2> buffers,
                                                    std::shared_ptr<IndexBuffer> indices);
    void set_geometry(const std::shared_ptr<VertexGeometry>& geometry);
    // The shader must stay alive while it is current; set another (or null)
    // before destroying it.
    void set_shader(const Shader* shader);
    const Shader* current_shader() const { return m_current_shader; }
    const Shader& fixed_shader() const { return *m_fixed_shader; }

    // Triangles from the current geometry; indexed draws read its indices.
    void draw_triangles(int first_vertex, int vertex_count);
    void draw_indexed_triangles(int index_count);
    // Triangles drawn in the previous frame.
    uint64_t rendered_triangle_count() const { return m_previous_triangles; }
    uint64_t triangles_this_frame() const { return m_triangles; }

    // False for a unit outside 0-4.
    bool bind_texture(int unit, TextureTarget target, GLuint texture);
    GLuint bound_texture(int unit, TextureTarget target) const { return m_textures.bound(unit, target); }
    void forget_texture(GLuint texture) { m_textures.forget(texture); }
    // The GL name of the built-in "_white_" texture; 0 until the built-ins
    // are held, or without a context.
    GLuint white_texture() const { return m_white_texture; }
    // Keeps the built-in resources (the "_white_" and "_null_" textures and
    // sprites) until the device releases its GL objects; the device knows only
    // the white texture's GL name, which untextured drawing binds.
    void hold_builtins(std::vector<ResourceRef<EngineObject>> builtins, GLuint white_texture);
    bool holds_builtins() const { return !m_builtins.empty(); }

    std::unique_ptr<RenderTarget> create_render_buffer_target(GLenum internal_format, int width, int height);
    std::shared_ptr<FrameBufferObject> create_frame_buffer_object();
    // Null binds the window's frame buffer. False when the frame buffer is
    // incomplete or frame-buffer objects are missing.
    bool set_frame_buffer(const FrameBuffer* frame_buffer);

    GlStateCache& gl() { return m_gl; }

private:
    void intern_default_states();
    void set_fixed_state();
    void switch_to_state(const RenderState* state);
    bool can_draw() const;

    GlStateCache m_gl;
    GlCapabilities m_capabilities;
    GlFramebufferCalls m_framebuffer_calls;
    TextureUnits m_textures{m_gl};
    VertexArrayBinder m_vertex_arrays{m_gl};
    InternTable<RenderState> m_states{"Too many render states."};
    InternTable<VertexLayout> m_layouts{"Too many vertex layouts."};
    bool m_started = false;
    bool m_clear_screen = true;
    std::array<float, 4> m_clear_color{0.0f, 0.0f, 0.0f, 1.0f};
    int m_views_drawn = 0;
    const RenderState* m_current_state = nullptr;
    const RenderState* m_frame_default_state = nullptr;
    const RenderState* m_clear_state = nullptr;
    const Shader* m_current_shader = nullptr;
    std::unique_ptr<Shader> m_fixed_shader;
    std::vector<ResourceRef<EngineObject>> m_builtins;
    GLuint m_white_texture = 0;
    Vec2 m_view_viewport_size;
    Vec2 m_view_canvas_size;
    uint64_t m_previous_triangles = 0;
    uint64_t m_triangles = 0;
};

// The process-wide render device.
extern RenderDevice* g_render_device;

}  // namespace me
