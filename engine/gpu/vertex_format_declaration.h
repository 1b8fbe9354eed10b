#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace me {

enum class VertexSemantic { Position = 0, Normal = 1, Color = 2, TexCoord = 3, Tangent = 4 };

struct VertexStream {
    VertexSemantic semantic = VertexSemantic::Position;
    int buffer_index = 0;
    uint16_t format = 0;
    size_t offset = 0;
    size_t stride = 0;
};

// The streams of one vertex, laid out one after another.
class VertexDeclaration {
public:
    static constexpr size_t kMaxStreams = 8;

    // Places the stream after the previous ones. False, changing nothing, for
    // an invalid format or when the declaration is full.
    bool append(VertexSemantic semantic, uint16_t format);
    const std::vector<VertexStream>& streams() const { return m_streams; }
    size_t vertex_size() const { return m_vertex_size; }

private:
    std::vector<VertexStream> m_streams;
    size_t m_vertex_size = 0;
};

}  // namespace me
