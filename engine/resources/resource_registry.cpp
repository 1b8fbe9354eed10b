#include "resources/resource_registry.h"

#include <algorithm>
#include <vector>

#include "core/log.h"
#include "resources/resource_class.h"
#include "resources/resource_def_reader.h"
#include "resources/resource_list.h"
#include "script/bind_class.h"

namespace me {

namespace {

HSQUIRRELVM g_vm = nullptr;
// In start-up order; a type is started once per VM.
std::vector<ResourceType*> g_started_types;

ResourceList& held_resources() {
    static ResourceList fallback;
    return g_resource_list != nullptr ? *g_resource_list : fallback;
}

ScriptObject new_root_table(HSQUIRRELVM vm, const char* global_name) {
    const SQInteger top = sq_gettop(vm);
    sq_pushroottable(vm);
    sq_pushstring(vm, global_name, -1);
    sq_newtable(vm);
    ScriptObject table(vm, -1);
    if (SQ_FAILED(sq_newslot(vm, top + 1, SQFalse)))
        fail_binding_call("sq_rawset( v, top + 1 )");
    sq_settop(vm, top);
    return table;
}

// The names in a lookup's messages: the type, then the resource name when
// the def was found under one.
struct LookupSubject {
    const ResourceType& type;
    const std::optional<std::string>& name;

    std::string with(const char* named_message, const char* unnamed_message) const {
        return name ? format_message(named_message, type.type_name, *name)
                    : format_message(unnamed_message, type.type_name);
    }
};

const ResourceClass* class_named(const ResourceType& type, const std::string& class_name) {
    for (const ResourceClass* candidate : type.implementations)
        if (class_name == candidate->record.name)
            return candidate;
    return nullptr;
}

const ResourceClass* choose_class(const LookupSubject& subject, const ScriptObject& def) {
    const std::string class_name = DefReader(g_vm, def).string("_class");
    const auto& implementations = subject.type.implementations;
    if (class_name.empty() && implementations.size() >= 2) {
        log_error(subject.with(
            "Can't load %1 '%2', class can be omit if there is only one implementation class. Please contant the "
            "programmer.",
            "Can't load %1, class can be omit if there is only one implementation class. Please contant the "
            "programmer."));
        return nullptr;
    }
    const ResourceClass* chosen =
        class_name.empty() ? (implementations.empty() ? nullptr : implementations.front())
                           : class_named(subject.type, class_name);
    if (chosen == nullptr) {
        std::string message = subject.with("Can't load %1 '%2', class '%3' implementing this resource was not found.",
                                           "Can't load %1, class '%2' implementing this resource was not found.");
        format_arg(message, class_name);
        log_error(message);
    }
    return chosen;
}

void start_type(ResourceType& type) {
    if (std::find(g_started_types.begin(), g_started_types.end(), &type) != g_started_types.end())
        return;
    type.defs_table = new_root_table(g_vm, type.defs_global_name);
    type.instances.clear();
    type.implementations.clear();
    g_started_types.push_back(&type);
}

ResourceType* started_type_named(const std::string& type_name) {
    for (ResourceType* type : g_started_types)
        if (type_name == type->type_name)
            return type;
    return nullptr;
}

void hold(ResourceObject* resource) {
    if (!resource->has_state(ResourceObject::Held))
        held_resources().hold(resource);
}

}  // namespace

HSQUIRRELVM resource_vm() { return g_vm; }

void start_resource_registry(HSQUIRRELVM vm) {
    g_vm = vm;
    for (ResourceType* type : all_resource_types())
        start_type(*type);
    for (const ResourceClass* entry = ResourceClass::first(); entry != nullptr; entry = entry->next) {
        start_type(entry->type);
        if (entry->factory != nullptr)
            entry->type.implementations.push_back(entry);
    }
}

void stop_resource_registry() {
    held_resources().release_all();
    for (ResourceType* type : g_started_types) {
        type->defs_table.reset();
        type->implementations.clear();
    }
    g_started_types.clear();
    g_vm = nullptr;
}

ResourceRef<ResourceObject> load_resource(ResourceType& type, const std::string& name) {
    if (auto found = type.instances.find(name); found != type.instances.end())
        return ResourceRef<ResourceObject>(found->second);
    const ScriptObject def = def_table_field(type.defs_table, name);
    if (def.is_null()) {
        log_error(format_message("Can't load %1 '%2', def not found.", type.type_name, name));
        return {};
    }
    const std::optional<std::string> optional_name(name);
    const ResourceClass* chosen = choose_class(LookupSubject{type, optional_name}, def);
    if (chosen == nullptr)
        return {};
    auto resource = ResourceRef<ResourceObject>::adopt(chosen->factory(optional_name, def));
    if (!resource) {
        log_error(format_message("Can't load %1 '%2'.", type.type_name, name));
        return {};
    }
    hold(resource.get());
    return resource;
}

ResourceRef<ResourceObject> load_resource_from_def(ResourceType& type, const ScriptObject& value) {
    if (g_vm == nullptr)
        return {};
    if (value.type() == OT_STRING) {
        value.push(g_vm);
        const SQChar* text = nullptr;
        sq_getstring(g_vm, -1, &text);
        std::string name(text, static_cast<size_t>(sq_getsize(g_vm, -1)));
        sq_pop(g_vm, 1);
        return load_resource(type, name);
    }
    const std::optional<std::string> no_name;
    const ResourceClass* chosen = choose_class(LookupSubject{type, no_name}, value);
    if (chosen == nullptr)
        return {};
    auto resource = ResourceRef<ResourceObject>::adopt(chosen->factory(no_name, value));
    if (!resource)
        log_error(format_message("Can't load %1 from custom def.", type.type_name));
    return resource;
}

ScriptObject define_resource(ResourceType& type, const std::string& name) {
    if (g_vm == nullptr)
        return {};
    if (!def_table_field(type.defs_table, name).is_null())
        log_warning(format_message("Overriding %1 def '%1'.", type.type_name, name));
    const SQInteger top = sq_gettop(g_vm);
    type.defs_table.push(g_vm);
    sq_pushstring(g_vm, name.c_str(), static_cast<SQInteger>(name.size()));
    sq_newtable(g_vm);
    sq_pushstring(g_vm, "_name", -1);
    sq_pushstring(g_vm, name.c_str(), static_cast<SQInteger>(name.size()));
    if (SQ_FAILED(sq_newslot(g_vm, top + 3, SQFalse)))
        fail_binding_call("sq_rawset( v, top + 3 )");
    ScriptObject def(g_vm, top + 3);
    if (SQ_FAILED(sq_newslot(g_vm, top + 1, SQFalse)))
        fail_binding_call("sq_rawset( v, top + 1 )");
    sq_settop(g_vm, top);
    return def;
}

void cache_resource(const std::string& type_name, const std::string& name) {
    ResourceType* type = started_type_named(type_name);
    if (type == nullptr) {
        log_error(format_message("Can't cache resource '%1', unknown resource type '%2'.", name, type_name));
        return;
    }
    load_resource(*type, name);
}

}  // namespace me
