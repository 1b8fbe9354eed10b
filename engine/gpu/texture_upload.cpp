#include "gpu/texture_upload.h"

#include <GL/glew.h>

#include <optional>

#include "core/log.h"
#include "gpu/render_device.h"
#include "gpu/texture_flags.h"

namespace me {
namespace {

constexpr GLfloat kMaxAnisotropy = 8.0f;

struct UploadFormat {
    GLint internal_format;
    GLenum format;
    GLenum type;
};

bool has_flag(uint32_t flags, uint32_t flag) { return (flags & flag) != 0; }

GLenum binding_query(GLenum target) {
    return target == GL_TEXTURE_CUBE_MAP ? GL_TEXTURE_BINDING_CUBE_MAP : GL_TEXTURE_BINDING_2D;
}

// The new texture bound for the length of the upload, and the binding in
// force before it restored afterwards, so the device's record of the unit's
// bindings stays true.
class TemporaryBinding {
public:
    TemporaryBinding(GLenum target, GLuint texture) : m_target(target) {
        glGetIntegerv(binding_query(target), &m_previous);
        glBindTexture(target, texture);
    }
    ~TemporaryBinding() { glBindTexture(m_target, static_cast<GLuint>(m_previous)); }
    TemporaryBinding(const TemporaryBinding&) = delete;
    TemporaryBinding& operator=(const TemporaryBinding&) = delete;

private:
    GLenum m_target;
    GLint m_previous = 0;
};

// Rows of odd byte widths (RGB, 16-bit pictures of odd widths) are packed
// without padding.
class TightUnpacking {
public:
    TightUnpacking() {
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &m_previous);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }
    ~TightUnpacking() { glPixelStorei(GL_UNPACK_ALIGNMENT, m_previous); }
    TightUnpacking(const TightUnpacking&) = delete;
    TightUnpacking& operator=(const TightUnpacking&) = delete;

private:
    GLint m_previous = 4;
};

GLuint generate_texture() {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    if (texture == 0)
        log_error("Unable to generate OpenGL texture name.");
    return texture;
}

void set_filtering(GLenum target, uint32_t flags) {
    const bool nearest = has_flag(flags, texture_flags::kNearestFiltering);
    const bool mipmaps = has_flag(flags, texture_flags::kMipmaps);
    const GLint magnification = nearest ? GL_NEAREST : GL_LINEAR;
    GLint minification = magnification;
    if (mipmaps)
        minification = nearest ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_LINEAR;
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, magnification);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, minification);
    if (mipmaps && GLEW_EXT_texture_filter_anisotropic)
        glTexParameterf(target, GL_TEXTURE_MAX_ANISOTROPY_EXT, kMaxAnisotropy);
}

void set_parameters(GLenum target, uint32_t flags) {
    const GLint wrap = has_flag(flags, texture_flags::kClampUv) ? GL_CLAMP_TO_EDGE : GL_REPEAT;
    for (GLenum axis : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T, GL_TEXTURE_WRAP_R})
        glTexParameteri(target, axis, wrap);
    set_filtering(target, flags);
}

void drain_gl_errors() {
    while (glGetError() != GL_NO_ERROR) {
    }
}

// Keeps the texture when GL took every call made for it; otherwise logs the
// refusal, deletes the texture and answers 0.
GLuint kept_unless_refused(GLuint texture) {
    const GLenum error = glGetError();
    if (error == GL_NO_ERROR)
        return texture;
    drain_gl_errors();
    log_error(format_message("OpenGL refused the texture (error 0x%1).", Hex{error}));
    glDeleteTextures(1, &texture);
    return 0;
}

std::optional<UploadFormat> image_format(PixelType type) {
    switch (type) {
    case PixelType::Rgb8:
        return UploadFormat{GL_RGB8, GL_RGB, GL_UNSIGNED_BYTE};
    case PixelType::Rgba8:
        return UploadFormat{GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE};
    case PixelType::Rgb565:
        // No sized 5-6-5 format before GL 4.1: the driver picks one that
        // keeps the data (GL_RGB5 would drop a bit of green).
        return UploadFormat{GL_RGB, GL_RGB, GL_UNSIGNED_SHORT_5_6_5};
    case PixelType::Rgba4444:
        return UploadFormat{GL_RGBA4, GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4};
    case PixelType::Rgba5551:
        return UploadFormat{GL_RGB5_A1, GL_RGBA, GL_UNSIGNED_SHORT_5_5_5_1};
    }
    return std::nullopt;
}

UploadFormat dynamic_format(DynamicTextureFormat format) {
    switch (format) {
    case DynamicTextureFormat::Rgb:
        return {GL_RGB8, GL_RGB, GL_UNSIGNED_BYTE};
    case DynamicTextureFormat::Rgba16f:
        return {GL_RGBA16F_ARB, GL_RGBA, GL_FLOAT};
    case DynamicTextureFormat::Luminance16:
        return {GL_LUMINANCE16F_ARB, GL_LUMINANCE, GL_FLOAT};
    case DynamicTextureFormat::Rgba:
        break;
    }
    return {GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE};
}

GLenum dds_face_target(const DdsTexture& dds, int face) {
    return dds.cube_map ? static_cast<GLenum>(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face) : GL_TEXTURE_2D;
}

void upload_dds_surfaces(const DdsTexture& dds, std::span<const uint8_t> file) {
    const auto internal_format = static_cast<GLenum>(dds_gl_internal_format(dds.format));
    for (const DdsSurface& surface : dds.surfaces)
        glCompressedTexImage2D(dds_face_target(dds, surface.face), surface.level, internal_format,
                               static_cast<GLsizei>(surface.width), static_cast<GLsizei>(surface.height), 0,
                               static_cast<GLsizei>(surface.size), file.data() + surface.offset);
}

}  // namespace

bool gpu_textures_available() { return g_render_device != nullptr && g_render_device->has_gl_context(); }

uint32_t upload_image_texture(const Image& pixels, uint32_t flags) {
    const std::optional<UploadFormat> format = image_format(pixels.type());
    if (!format) {
        log_error("Invalid pixel format.");
        return 0;
    }
    const GLuint texture = generate_texture();
    if (texture == 0)
        return 0;
    drain_gl_errors();
    TemporaryBinding binding(GL_TEXTURE_2D, texture);
    set_parameters(GL_TEXTURE_2D, flags);
    TightUnpacking unpacking;
    glTexImage2D(GL_TEXTURE_2D, 0, format->internal_format, pixels.row_width(), pixels.row_count(), 0,
                 format->format, format->type, pixels.pixels());
    return kept_unless_refused(texture);
}

uint32_t upload_dds_texture(const DdsTexture& dds, std::span<const uint8_t> file, uint32_t flags,
                            const std::string& name) {
    const GLenum target = dds.cube_map ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D;
    if (dds.cube_map && !has_flag(flags, texture_flags::kClampUv))
        log_warning(format_message("Cubemap %1 doesn't use uv clamp!", name));
    const GLuint texture = generate_texture();
    if (texture == 0)
        return 0;
    drain_gl_errors();
    TemporaryBinding binding(target, texture);
    set_parameters(target, flags);
    glTexParameteri(target, GL_TEXTURE_MAX_LEVEL, dds.level_count - 1);
    TightUnpacking unpacking;
    upload_dds_surfaces(dds, file);
    return kept_unless_refused(texture);
}

uint32_t create_dynamic_texture(const DynamicTextureSize& size, uint32_t flags) {
    const UploadFormat format = dynamic_format(size.format);
    const GLuint texture = generate_texture();
    if (texture == 0)
        return 0;
    drain_gl_errors();
    TemporaryBinding binding(GL_TEXTURE_2D, texture);
    set_parameters(GL_TEXTURE_2D, flags);
    glTexImage2D(GL_TEXTURE_2D, 0, format.internal_format, size.width, size.height, 0, format.format, format.type,
                 nullptr);
    return kept_unless_refused(texture);
}

void delete_gpu_texture(uint32_t texture) {
    if (texture == 0 || !gpu_textures_available())
        return;
    g_render_device->forget_texture(texture);
    const GLuint name = texture;
    glDeleteTextures(1, &name);
}

}  // namespace me
