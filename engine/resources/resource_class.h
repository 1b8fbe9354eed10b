#pragma once

#include <optional>
#include <string>

#include "script/class_record.h"
#include "script/script_object.h"

namespace me {

class ResourceObject;
struct ResourceType;

// Builds, loads and returns a resource with one reference for the caller, or
// null when its load failed.
using ResourceFactory = ResourceObject* (*)(const std::optional<std::string>& name, const ScriptObject& def);

// What a resource class adds to its class record: its type and, for classes
// that can be named by a def, its factory. Every one is chained at static
// initialisation, so a definition at namespace scope registers the class.
struct ResourceClass {
    ResourceClass(const ClassRecord& record, ResourceType& type, ResourceFactory factory);
    ResourceClass(const ResourceClass&) = delete;
    ResourceClass& operator=(const ResourceClass&) = delete;

    static const ResourceClass* first();

    const ClassRecord& record;
    ResourceType& type;
    const ResourceFactory factory;
    const ResourceClass* const next;
};

}  // namespace me
