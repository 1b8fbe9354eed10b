#include "resources/shader_resource.h"

#include "core/log.h"
#include "core/std_file.h"
#include "gpu/render_device.h"
#include "gpu/shader_loader.h"
#include "resources/resource_class.h"
#include "resources/resource_registry.h"
#include "resources/shader_def_reader.h"

namespace me {

const ClassRecord ShaderResource::kClassRecord{"Shader", &ResourceObject::kClassRecord};

namespace {

const ResourceClass g_shader_class(ShaderResource::kClassRecord, resource_types::shader,
                                   make_resource<ShaderResource>);

std::optional<std::string> read_shader_file(const std::string& path) {
    std::string text;
    if (!StdFile::read_whole(path, text))
        return std::nullopt;
    return text;
}

bool has_gl_context() { return g_render_device != nullptr && g_render_device->has_gl_context(); }

}  // namespace

ShaderResource::ShaderResource() : ResourceObject(resource_types::shader) {}

// The device must not go on using a program that is about to go; without a
// context the program went with it, and there is nothing to delete.
ShaderResource::~ShaderResource() {
    if (!m_shader)
        return;
    if (g_render_device != nullptr && g_render_device->current_shader() == m_shader.get())
        g_render_device->set_shader(nullptr);
    if (!has_gl_context())
        m_shader->set_program(0);
}

bool ShaderResource::load() {
    const ScriptObject def = get_def();
    if (def.is_null()) {
        log_error(format_message("No def for shader '%1'.", get_name()));
        return false;
    }
    static const GlStateCache kNoContext;
    const GlStateCache& gl = g_render_device != nullptr ? g_render_device->gl() : kNoContext;
    m_shader = load_shader(get_name(), read_shader_def(resource_vm(), def), read_shader_file, gl);
    return m_shader->loaded();
}

ResourceRef<ShaderResource> load_shader_resource(const std::string& name) {
    return load_resource_as<ShaderResource>(resource_types::shader, name);
}

}  // namespace me
