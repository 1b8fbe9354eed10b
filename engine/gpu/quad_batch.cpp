#include "gpu/quad_batch.h"

#include <array>
#include <vector>

#include "gpu/shader_loader.h"

namespace me {

QuadBatch* g_sprite_batch = nullptr;

namespace {

VertexDeclaration quad_vertex_declaration() {
    VertexDeclaration declaration;
    declaration.append(VertexSemantic::Position, kFloat2);
    declaration.append(VertexSemantic::Color, kColorBytes);
    declaration.append(VertexSemantic::TexCoord, kFloat2);
    return declaration;
}

// The fixed-function shader with two-component positions, which is what the
// batch's vertices carry.
std::unique_ptr<Shader> make_quad_shader() {
    std::unique_ptr<Shader> shader = make_fixed_shader();
    shader->attributes()[0].components = 2;
    shader->set_loaded(shader->validate());
    return shader;
}

// Quad i is the triangles (4i, 4i+1, 4i+2) and (4i+1, 4i+3, 4i+2).
std::vector<uint16_t> quad_indices() {
    std::vector<uint16_t> indices;
    indices.reserve(QuadBatch::kIndexCount);
    for (int quad = 0; quad < QuadBatch::kMaxQuads; ++quad) {
        const auto first = static_cast<uint16_t>(4 * quad);
        for (int corner : {0, 1, 2, 1, 3, 2})
            indices.push_back(static_cast<uint16_t>(first + corner));
    }
    return indices;
}

}  // namespace

QuadBatch::QuadBatch(RenderDevice& device) : m_device(device), m_shader(make_quad_shader()) {}

QuadBatch::~QuadBatch() {
    if (m_vertices)
        m_vertices->unmap();
    if (m_device.current_shader() == m_shader.get())
        m_device.set_shader(nullptr);
}

void QuadBatch::create_buffers() {
    static_assert(kVertexCount <= 65536, "16-bit indices must reach every vertex");
    m_vertices = m_device.create_vertex_buffer(quad_vertex_declaration(), kVertexCount, BufferUsage::Dynamic);
    const std::vector<uint16_t> indices = quad_indices();
    std::shared_ptr<IndexBuffer> index_buffer = m_device.create_index_buffer(indices.size(), BufferUsage::Static);
    index_buffer->upload(indices);
    m_geometry = m_device.create_geometry(*m_shader, {m_vertices, nullptr}, std::move(index_buffer));
    m_own_state = m_device.render_state(kDepthTestOff, false, CullMode::Off, static_cast<int>(BlendMode::Premultiplied));
    m_state = m_own_state;
    m_mapped = nullptr;
    m_quads = 0;
}

std::span<QuadVertex> QuadBatch::reserve_checked(GLuint texture, int count) {
    if (count < 1 || count > kMaxQuads || !has_buffers())
        return {};
    if (m_quads > 0 && (texture != m_texture || m_quads + count > kMaxQuads))
        flush();
    if (m_mapped == nullptr) {
        const std::span<uint8_t> bytes = m_vertices->map();
        if (bytes.size() < kVertexCount * sizeof(QuadVertex))
            return {};
        m_mapped = reinterpret_cast<QuadVertex*>(bytes.data());
    }
    m_texture = texture;
    return take_slots(count);
}

void QuadBatch::flush() {
    if (m_quads == 0)
        return;
    m_vertices->unmap();
    m_mapped = nullptr;
    use_batch_state();
    m_device.bind_texture(0, TextureTarget::Texture2D, m_texture);
    m_device.draw_indexed_triangles(6 * m_quads);
    ++m_draw_calls;
    m_quads = 0;
}

void QuadBatch::reset() {
    flush();
    if (has_buffers())
        use_batch_state();
}

void QuadBatch::set_blend_state(const RenderState* state) {
    flush();
    m_state = state != nullptr ? state : m_own_state;
}

void QuadBatch::use_batch_state() {
    m_device.set_render_state(m_state);
    m_device.set_shader(m_shader.get());
    m_device.set_geometry(m_geometry);
}

}  // namespace me
