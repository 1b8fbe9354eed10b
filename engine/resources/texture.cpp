#include "resources/texture.h"

#include <string>

#include "core/log.h"
#include "core/std_file.h"
#include "gpu/texture_dynamic_size.h"
#include "gpu/texture_flags.h"
#include "gpu/texture_upload.h"
#include "image/dds_file.h"
#include "image/image_texture_source.h"
#include "resources/resource_class.h"
#include "resources/resource_def_reader.h"
#include "resources/resource_registry.h"
#include "script/bind_class.h"

namespace me {

namespace {

// Sets the key and value just pushed in the table below them.
void set_slot(HSQUIRRELVM vm) {
    if (SQ_FAILED(sq_newslot(vm, -3, SQFalse)))
        fail_binding_call("sq_rawset( v, top + 1 )");
}

// { dynamic = true, clampuv = true, width = 1024, height = 1024,
//   image_width = 1024, image_height = 1024, format = "rgba" }; null without a
// resource registry.
ScriptObject target_texture_def() {
    HSQUIRRELVM vm = resource_vm();
    if (vm == nullptr)
        return {};
    const SQInteger top = sq_gettop(vm);
    sq_newtable(vm);
    for (const char* flag : {"dynamic", "clampuv"}) {
        sq_pushstring(vm, flag, -1);
        sq_pushbool(vm, SQTrue);
        set_slot(vm);
    }
    for (const char* size : {"width", "height", "image_width", "image_height"}) {
        sq_pushstring(vm, size, -1);
        sq_pushinteger(vm, RenderTarget::kTextureSize);
        set_slot(vm);
    }
    sq_pushstring(vm, "format", -1);
    sq_pushstring(vm, "rgba", -1);
    set_slot(vm);
    ScriptObject def(vm, -1);
    sq_settop(vm, top);
    return def;
}

constexpr uint32_t kSpecialFlags = texture_flags::kPremultiplyAlpha | texture_flags::kClampUv;

bool ends_with(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::span<const uint8_t> as_bytes(const std::string& bytes) {
    return std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

const ClassRecord Texture::kClassRecord{"Texture", &ResourceObject::kClassRecord};

namespace {
const ResourceClass g_texture_class(Texture::kClassRecord, resource_types::texture, make_resource<Texture>);
}  // namespace

Texture::Texture() : ResourceObject(resource_types::texture) {}

Texture::~Texture() { delete_gpu_texture(m_gl_name); }

bool Texture::load() {
    const ScriptObject def = get_def();
    if (def.is_null()) {
        log_error(format_message("No def for texture '%1'.", get_name()));
        return false;
    }
    const std::optional<TextureDef> read = read_texture_def(resource_vm(), def, get_name());
    if (!read)
        return false;
    m_flags = read->flags;
    if (load_from_def(*read))
        return true;
    log_error(format_message("Unable to load texture '%1'.", get_name()));
    return false;
}

bool Texture::load_from_def(const TextureDef& def) {
    if (def.special == "_null_") {
        become_null_texture();
        return true;
    }
    if (def.special == "_white_")
        return become_white_texture();
    if ((m_flags & texture_flags::kDynamic) != 0)
        return load_dynamic();
    if (ends_with(def.file, ".dds"))
        return load_dds_file(def.file);
    if ((m_flags & texture_flags::kCubeMap) != 0) {
        log_error("Cube maps from images not supported yet.");
        return false;
    }
    return load_image_file(def);
}

void Texture::become_null_texture() {
    m_flags = texture_flags::kSpecial | kSpecialFlags;
    m_texel_scale_u = m_texel_scale_v = 1.0f;
}

bool Texture::become_white_texture() {
    m_flags = kSpecialFlags;
    Image white(1, 1, PixelType::Rgb8);
    for (size_t byte = 0; byte < white.byte_size(); ++byte)
        white.pixels()[byte] = 255;
    take_pixels(std::move(white), 1, 1);
    m_texel_scale_u = m_texel_scale_v = 1.0f;
    return upload_pending_pixels();
}

bool Texture::load_dynamic() {
    m_flags &= ~(texture_flags::kMipmaps | texture_flags::kPremultiplyAlpha | texture_flags::kMaskColor |
                 texture_flags::kExtractFrames);
    const std::optional<DynamicTextureSize> size = read_dynamic_texture_size(DefReader(resource_vm(), get_def()));
    if (!size)
        return false;
    m_texture_width = size->width;
    m_texture_height = size->height;
    m_image_width = size->image_width;
    m_image_height = size->image_height;
    m_byte_size = static_cast<int64_t>(size->width) * size->height * size->bytes_per_texel;
    m_texel_scale_u = 1.0f / static_cast<float>(size->width);
    m_texel_scale_v = 1.0f / static_cast<float>(size->height);
    if (!gpu_textures_available())
        return true;
    m_gl_name = create_dynamic_texture(*size, m_flags);
    return m_gl_name != 0;
}

bool Texture::load_dds_file(const std::string& file) {
    std::string bytes;
    if (!StdFile::read_whole(file, bytes))
        return false;
    auto parsed = parse_dds(as_bytes(bytes));
    if (!parsed) {
        log_error(parsed.error());
        return false;
    }
    const DdsTexture& dds = parsed.value();
    const std::string mismatch = dds_target_mismatch(dds, (m_flags & texture_flags::kCubeMap) != 0);
    if (!mismatch.empty()) {
        log_error(mismatch);
        return false;
    }
    if (dds.level_count > 1)
        m_flags |= texture_flags::kMipmaps;
    else
        m_flags &= ~texture_flags::kMipmaps;
    m_image_width = m_texture_width = static_cast<int>(dds.width);
    m_image_height = m_texture_height = static_cast<int>(dds.height);
    for (const DdsSurface& surface : dds.surfaces)
        m_byte_size += static_cast<int64_t>(surface.size);
    set_texel_scales();
    if (!gpu_textures_available())
        return true;
    m_gl_name = upload_dds_texture(dds, as_bytes(bytes), m_flags, get_name());
    return m_gl_name != 0;
}

bool Texture::load_image_file(const TextureDef& def) {
    std::string bytes;
    if (!StdFile::read_whole(def.file, bytes))
        return false;
    auto prepared = prepare_image_texture(def.file, as_bytes(bytes), def.image);
    if (!prepared) {
        log_error(prepared.error());
        return false;
    }
    ImageTextureSource& source = prepared.value();
    m_frames = std::move(source.frames);
    take_pixels(std::move(source.pixels), source.image_width, source.image_height);
    set_texel_scales();
    return upload_pending_pixels();
}

void Texture::take_pixels(Image pixels, int image_width, int image_height) {
    m_image_width = image_width;
    m_image_height = image_height;
    m_texture_width = pixels.row_width();
    m_texture_height = pixels.row_count();
    m_byte_size += static_cast<int64_t>(pixels.byte_size());
    m_pending_pixels = std::move(pixels);
}

// Without a GPU the pixels stay, so that a server still knows the picture.
bool Texture::upload_pending_pixels() {
    if (!gpu_textures_available())
        return true;
    m_gl_name = upload_image_texture(m_pending_pixels, m_flags);
    if (m_gl_name == 0)
        return false;
    m_pending_pixels = Image();
    return true;
}

void Texture::set_texel_scales() {
    if (m_texture_width <= 0 || m_texture_height <= 0)
        return;
    const float halving = (m_flags & texture_flags::kScale2x) != 0 ? 0.5f : 1.0f;
    m_texel_scale_u = halving / static_cast<float>(m_texture_width);
    m_texel_scale_v = halving / static_cast<float>(m_texture_height);
}

ResourceRef<Texture> load_texture(const std::string& name) {
    return load_resource_as<Texture>(resource_types::texture, name);
}

ResourceRef<Texture> load_texture_from_def(const ScriptObject& value) {
    const ResourceRef<ResourceObject> loaded = load_resource_from_def(resource_types::texture, value);
    return ResourceRef<Texture>(dynamic_cast<Texture*>(loaded.get()));
}

std::unique_ptr<RenderTarget> make_texture_target(RenderDevice& device) {
    const ResourceRef<Texture> texture = load_texture_from_def(target_texture_def());
    const GLuint name = texture ? static_cast<GLuint>(texture->gl_name()) : 0;
    return RenderTarget::make_texture(device.gl(), ResourceRef<EngineObject>(texture.get()), name);
}

Texture* target_texture(const RenderTarget& target) {
    EngineObject* owner = target.texture_owner();
    return owner != nullptr && owner->is_kind_of(Texture::kClassRecord) ? static_cast<Texture*>(owner) : nullptr;
}


}  // namespace me
