#pragma once

#include <cstddef>
#include <vector>

namespace me {

class ResourceObject;

// Every resource loaded by name, held until the script VM goes.
class ResourceList {
public:
    ResourceList() = default;
    ResourceList(const ResourceList&) = delete;
    ResourceList& operator=(const ResourceList&) = delete;
    ~ResourceList() { release_all(); }

    void reserve(size_t count) { m_resources.reserve(count); }
    size_t size() const { return m_resources.size(); }
    // Takes a reference of its own to the resource and marks it Held.
    void hold(ResourceObject* resource);
    void release_all();

private:
    std::vector<ResourceObject*> m_resources;
};

extern ResourceList* g_resource_list;

}  // namespace me
