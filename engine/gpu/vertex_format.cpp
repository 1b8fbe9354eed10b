#include "gpu/vertex_format.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/fatal_error.h"
#include "core/log.h"

namespace me {

bool is_valid_vertex_format(uint16_t format) {
    switch (format) {
    case kFloat1:
    case kFloat2:
    case kFloat3:
    case kFloat4:
    case kColorBytes:
        return true;
    default:
        return false;
    }
}

int vertex_format_components(uint16_t format) { return (format >> 4) & 0x0F; }

GLenum vertex_format_gl_type(uint16_t format) { return 0x1400 + ((format >> 8) & 0x0F); }

bool vertex_format_normalised(uint16_t format) { return (format >> 12) != 0; }

size_t vertex_format_bytes(uint16_t format) {
    if (!is_valid_vertex_format(format))
        return 0;
    if (format == kColorBytes)
        return 4;
    return static_cast<size_t>(vertex_format_components(format)) * sizeof(float);
}

namespace {

uint8_t colour_byte(float value) {
    const float clamped = std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f);
    return static_cast<uint8_t>(std::lround(clamped * 255.0f));
}

}  // namespace

bool write_vertex_element(uint16_t format, std::span<const float> values, std::span<uint8_t> destination) {
    // Only engine code picks formats, so an unknown one is a broken invariant.
    if (!is_valid_vertex_format(format)) {
        log_error("Invalid vertex stream format.");
        fatal_error("Invalid vertex stream format.");
    }
    const size_t bytes = vertex_format_bytes(format);
    const auto components = static_cast<size_t>(vertex_format_components(format));
    if (values.size() < components || destination.size() < bytes)
        return false;
    if (format == kColorBytes) {
        for (size_t i = 0; i < 4; ++i)
            destination[i] = colour_byte(values[i]);
    } else {
        std::memcpy(destination.data(), values.data(), bytes);
    }
    return true;
}

}  // namespace me
