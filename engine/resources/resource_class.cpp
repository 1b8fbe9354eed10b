#include "resources/resource_class.h"

namespace me {

namespace {

constinit const ResourceClass* g_first_resource_class = nullptr;

const ResourceClass* push_front(const ResourceClass* added) {
    const ResourceClass* previous = g_first_resource_class;
    g_first_resource_class = added;
    return previous;
}

}  // namespace

ResourceClass::ResourceClass(const ClassRecord& record, ResourceType& type, ResourceFactory factory)
    : record(record), type(type), factory(factory), next(push_front(this)) {}

const ResourceClass* ResourceClass::first() { return g_first_resource_class; }

}  // namespace me
