#include "gpu/vertex_format_declaration.h"

#include "gpu/vertex_format.h"

namespace me {

bool VertexDeclaration::append(VertexSemantic semantic, uint16_t format) {
    if (!is_valid_vertex_format(format) || m_streams.size() == kMaxStreams)
        return false;
    m_streams.push_back({semantic, 0, format, m_vertex_size, 0});
    m_vertex_size += vertex_format_bytes(format);
    for (VertexStream& stream : m_streams)
        stream.stride = m_vertex_size;
    return true;
}

}  // namespace me
