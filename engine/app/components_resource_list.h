#pragma once

#include <cstddef>
#include <vector>

namespace me {

class ResourceObject;

// Every loaded resource, held until exit. Resources are not built yet, so the
// list stays empty.
class ResourceList {
public:
    void reserve(size_t count) { m_resources.reserve(count); }
    size_t size() const { return m_resources.size(); }

private:
    std::vector<ResourceObject*> m_resources;
};

extern ResourceList* g_resource_list;

}  // namespace me
