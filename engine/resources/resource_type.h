#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "script/script_object.h"

namespace me {

class ResourceObject;
struct ResourceClass;

// Maps a resource name to its live instance; the instances are not owned.
using ResourceInstanceTable = std::unordered_map<std::string, ResourceObject*>;

// One kind of resource. Its tables exist while a script VM does: the defs
// table is published under defs_global_name, the instance table is private.
struct ResourceType {
    const char* type_name;
    const char* defs_global_name;
    ScriptObject defs_table;
    ResourceInstanceTable instances;
    // Newest registration first.
    std::vector<const ResourceClass*> implementations;
};

namespace resource_types {
extern ResourceType texture;
extern ResourceType sprite;
extern ResourceType font;
extern ResourceType shader;
extern ResourceType emitter;
extern ResourceType clip;
extern ResourceType curve;
extern ResourceType sound;
extern ResourceType anim;
extern ResourceType mesh;
extern ResourceType model;
extern ResourceType material;
}  // namespace resource_types

// The twelve engine types, in a fixed order.
const std::vector<ResourceType*>& all_resource_types();

}  // namespace me
