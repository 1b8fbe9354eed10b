#pragma once

#include <squirrel.h>

#include <optional>
#include <string>

#include "core/resource_ref.h"
#include "resources/resource_object.h"
#include "resources/resource_type.h"

namespace me {

// The VM whose tables the registry holds; null outside start_resource_registry
// and stop_resource_registry.
HSQUIRRELVM resource_vm();

// Creates every type's defs and instance tables in vm (the defs tables as
// root slots) and lists each type's implementation classes.
void start_resource_registry(HSQUIRRELVM vm);
// Drops the held resources and every table; must run before vm closes.
void stop_resource_registry();

// The instance named name, built from its def on first use, or null after
// logging why.
ResourceRef<ResourceObject> load_resource(ResourceType& type, const std::string& name);
// load_resource as the type's root class T; null as well when the class a
// def chose is not a T.
template <class T>
ResourceRef<T> load_resource_as(ResourceType& type, const std::string& name) {
    const ResourceRef<ResourceObject> loaded = load_resource(type, name);
    return ResourceRef<T>(dynamic_cast<T*>(loaded.get()));
}
// value is a name or an inline def table; an inline def builds an unnamed
// resource that is neither cached nor held.
ResourceRef<ResourceObject> load_resource_from_def(ResourceType& type, const ScriptObject& value);
// A new def table under name in type's defs table, with "_name" set.
ScriptObject define_resource(ResourceType& type, const std::string& name);
// Loads the resource now and holds it until the registry stops.
void cache_resource(const std::string& type_name, const std::string& name);

// The factory every resource class with a factory uses.
template <class T>
ResourceObject* make_resource(const std::optional<std::string>& name, const ScriptObject& def) {
    ResourceRef<ResourceObject> object(new T());
    object->set_name_and_def(name, def);
    if (!object->ensure_loaded())
        return nullptr;
    ResourceObject* result = object.get();
    result->acquire();
    return result;
}

}  // namespace me
