#pragma once

#include <GL/glew.h>

#include <cstddef>
#include <cstdint>
#include <span>

namespace me {

// (normalised << 12) | (GL type - 0x1400) << 8 | (component count << 4)
enum VertexFormat : uint16_t {
    kFloat1 = 0x610,
    kFloat2 = 0x620,
    kFloat3 = 0x630,
    kFloat4 = 0x640,
    kColorBytes = 0x1140,
};

bool is_valid_vertex_format(uint16_t format);
// The following take a valid format.
int vertex_format_components(uint16_t format);
GLenum vertex_format_gl_type(uint16_t format);
bool vertex_format_normalised(uint16_t format);
// 0 for an invalid format.
size_t vertex_format_bytes(uint16_t format);

// Writes one element of the format from its floats (colour bytes pack four
// floats clamped to 0-1). False, writing nothing, when fewer floats are given
// than it has components or the destination is short; an unknown format is a
// fatal error.
bool write_vertex_element(uint16_t format, std::span<const float> values, std::span<uint8_t> destination);

}  // namespace me
