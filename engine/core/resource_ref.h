#pragma once

#include <utility>

namespace me {

// Owns one native reference to a resource (or to nothing).
template <class T>
class ResourceRef {
public:
    ResourceRef() = default;
    // Takes over a reference the caller already holds.
    static ResourceRef adopt(T* object) {
        ResourceRef ref;
        ref.m_object = object;
        return ref;
    }
    explicit ResourceRef(T* object) : m_object(object) {
        if (m_object != nullptr)
            m_object->acquire();
    }
    ResourceRef(const ResourceRef& other) : ResourceRef(other.m_object) {}
    ResourceRef(ResourceRef&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    ResourceRef& operator=(ResourceRef other) noexcept {
        std::swap(m_object, other.m_object);
        return *this;
    }
    ~ResourceRef() { reset(); }

    void reset() {
        if (T* object = std::exchange(m_object, nullptr))
            object->release();
    }
    T* get() const { return m_object; }
    T* operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    T* m_object = nullptr;
};

}  // namespace me
