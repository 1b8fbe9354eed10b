#include "app/log.h"
#include "render/render_device.h"
#include "resources/resource_registry.h"
#include "resources/texture.h"
#include "script/bind_class.h"

namespace me {

namespace {

// A def of one string field, under name in the type's defs table.
void define_builtin(ResourceType& type, const std::string& name, const char* key, const std::string& value) {
    const ScriptObject def = define_resource(type, name);
    HSQUIRRELVM vm = resource_vm();
    const SQInteger top = sq_gettop(vm);
    def.push(vm);
    sq_pushstring(vm, key, -1);
    sq_pushstring(vm, value.c_str(), static_cast<SQInteger>(value.size()));
    if (SQ_FAILED(sq_newslot(vm, top + 1, SQFalse)))
        fail_binding_call("sq_rawset( v, top + 1 )");
    sq_settop(vm, top);
}

}  // namespace

// "_white_" is one opaque white texel, so that untextured drawing can go
// through the same path as textured drawing; "_null_" has no GL side. Both are
// ordinary resources, found by name like any other, with sprites of the same
// names that the sprite resources build on first use. They need the resource
// registry of the script VM; a device without one has no built-ins.
void RenderDevice::create_builtin_objects() {
    if (resource_vm() == nullptr || m_white_texture)
        return;
    define_builtin(resource_types::texture, "_white_", "_special_", "_white_");
    m_white_texture = load_texture("_white_");
    define_builtin(resource_types::texture, "_null_", "_special_", "_null_");
    m_null_texture = load_texture("_null_");
    define_builtin(resource_types::sprite, "_white_", "texture", "_white_");
    define_builtin(resource_types::sprite, "_null_", "texture", "_null_");
}

void RenderDevice::release_builtin_objects() {
    m_white_texture.reset();
    m_null_texture.reset();
}

GLuint RenderDevice::white_texture() const { return m_white_texture ? m_white_texture->gl_name() : 0; }

}  // namespace me
