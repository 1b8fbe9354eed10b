#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/resource_ref.h"
#include "gpu/quad_batch.h"
#include "gpu/render_device.h"
#include "gpu/render_target.h"
#include "gpu/texture_flags.h"
#include "image/frame_finder.h"
#include "image/image.h"
#include "resources/resource_object.h"
#include "resources/texture_def.h"

namespace me {

// The "texture" resource: a picture prepared for the GPU, its size before
// and after power-of-two extension, the factors that turn pixel coordinates
// into texture coordinates, and the frames cut from it.
class Texture : public ResourceObject {
public:
    static const ClassRecord kClassRecord;

    Texture();
    ~Texture() override;
    const ClassRecord& class_record() const override { return kClassRecord; }
    bool load() override;

    uint32_t flags() const { return m_flags; }
    // The built-ins that sprites treat apart ("_null_").
    bool is_special() const { return (m_flags & texture_flags::kSpecial) != 0; }
    // 0 while there is no GL context (servers, tests without a display).
    uint32_t gl_name() const { return m_gl_name; }
    int image_width() const { return m_image_width; }
    int image_height() const { return m_image_height; }
    int texture_width() const { return m_texture_width; }
    int texture_height() const { return m_texture_height; }
    float texel_scale_u() const { return m_texel_scale_u; }
    float texel_scale_v() const { return m_texel_scale_v; }
    int64_t byte_size() const { return m_byte_size; }
    const std::vector<FrameRect>& frames() const { return m_frames; }
    // The pixels in their upload form, kept only while there is no GPU to
    // take them.
    const Image& pending_pixels() const { return m_pending_pixels; }

private:
    bool load_from_def(const TextureDef& def);
    void become_null_texture();
    bool become_white_texture();
    bool load_dynamic();
    bool load_dds_file(const std::string& file);
    bool load_image_file(const TextureDef& def);
    void take_pixels(Image pixels, int image_width, int image_height);
    bool upload_pending_pixels();
    void set_texel_scales();

    uint32_t m_flags = 0;
    uint32_t m_gl_name = 0;
    int m_image_width = 0;
    int m_image_height = 0;
    int m_texture_width = 0;
    int m_texture_height = 0;
    float m_texel_scale_u = 1.0f;
    float m_texel_scale_v = 1.0f;
    int64_t m_byte_size = 0;
    std::vector<FrameRect> m_frames;
    Image m_pending_pixels;
};

// Quads drawn with the texture from the batch (see QuadBatch::reserve); none
// for the special textures, which draw nothing.
inline std::span<QuadVertex> reserve_quads(QuadBatch& batch, const Texture& texture, int count) {
    if (texture.is_special())
        return {};
    return batch.reserve(static_cast<GLuint>(texture.gl_name()), count);
}

// A texture by name, or from a value that is a name or an inline def.
ResourceRef<Texture> load_texture(const std::string& name);
ResourceRef<Texture> load_texture_from_def(const ScriptObject& value);

// A render target drawing into a 1024 x 1024 RGBA dynamic texture with clamped
// coordinates, made from an inline texture def; without a resource registry
// or a context it has no texture and no GL name.
std::unique_ptr<RenderTarget> make_texture_target(RenderDevice& device);
// The texture a texture target draws into; null for a render buffer.
Texture* target_texture(const RenderTarget& target);

}  // namespace me
