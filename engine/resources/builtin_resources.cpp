#include "resources/builtin_resources.h"

#include <string>
#include <utility>
#include <vector>

#include "gpu/render_device.h"
#include "resources/resource_registry.h"
#include "resources/sprite.h"
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

template <class T>
ResourceRef<EngineObject> held(const ResourceRef<T>& resource) {
    return ResourceRef<EngineObject>(resource.get());
}

}  // namespace

void load_builtin_resources(RenderDevice& device) {
    if (resource_vm() == nullptr || device.holds_builtins())
        return;
    std::vector<ResourceRef<EngineObject>> builtins;
    GLuint white_name = 0;
    for (const char* name : {"_white_", "_null_"}) {
        define_builtin(resource_types::texture, name, "_special_", name);
        const ResourceRef<Texture> texture = load_texture(name);
        if (texture && std::string(name) == "_white_")
            white_name = static_cast<GLuint>(texture->gl_name());
        builtins.push_back(held(texture));
    }
    for (const char* name : {"_white_", "_null_"}) {
        define_builtin(resource_types::sprite, name, "texture", name);
        builtins.push_back(held(load_sprite(name)));
    }
    device.hold_builtins(std::move(builtins), white_name);
}

}  // namespace me
