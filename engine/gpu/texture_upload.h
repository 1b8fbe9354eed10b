#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "gpu/texture_dynamic_size.h"
#include "image/dds_file.h"
#include "image/image.h"

namespace me {

// Makes textures on the GPU for the texture resource, so that its loader needs
// no GL of its own. Every function here works on the render device's context;
// the binding of the active texture unit is the same afterwards as before.

// Whether textures can be made now: a render device with a GL context.
bool gpu_textures_available();

// Each returns the new texture's GL name, or 0 after logging why (nothing is
// left behind then). flags are the texture's flags; name is used in messages.
uint32_t upload_image_texture(const Image& pixels, uint32_t flags);
uint32_t upload_dds_texture(const DdsTexture& dds, std::span<const uint8_t> file, uint32_t flags,
                            const std::string& name);
uint32_t create_dynamic_texture(const DynamicTextureSize& size, uint32_t flags);

// Unbinds the texture from every unit and deletes it; nothing without a
// context (the context took its textures with it).
void delete_gpu_texture(uint32_t texture);

}  // namespace me
