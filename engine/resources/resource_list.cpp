#include "resources/resource_list.h"

#include "resources/resource_object.h"

namespace me {

ResourceList* g_resource_list = nullptr;

void ResourceList::hold(ResourceObject* resource) {
    resource->acquire();
    resource->add_state(ResourceObject::Held);
    m_resources.push_back(resource);
}

void ResourceList::release_all() {
    std::vector<ResourceObject*> held;
    held.swap(m_resources);
    for (ResourceObject* resource : held)
        resource->release();
}

}  // namespace me
