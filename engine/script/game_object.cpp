#include "script/game_object.h"

#include "core/log.h"

namespace me {

const ClassRecord GameObject::kClassRecord{"GameObject", nullptr};

GameObject::~GameObject() {
    m_weak_slots.clear_all();
    while (m_first_child != nullptr)
        m_first_child->set_owner(nullptr);
    unlink();
}

void GameObject::release() {
    if (m_ownership.release() == NativeClassOwnership::AfterRelease::DeleteObject)
        delete this;
}

void GameObject::set_owner(GameObject* owner) {
    if (owner == m_owner)
        return;
    if (owner != nullptr && owns(*owner)) {
        // An ownership cycle would pin every object in it forever.
        log_error("Trying to make a GameObject owned by itself or by something it owns.");
        return;
    }
    const bool had_owner = m_owner != nullptr;
    unlink();
    if (owner != nullptr) {
        append_to(*owner);
        if (!had_owner)
            acquire();
        return;
    }
    release();
}

bool GameObject::owns(const GameObject& object) const {
    for (const GameObject* link = &object; link != nullptr; link = link->m_owner)
        if (link == this)
            return true;
    return false;
}

void GameObject::append_to(GameObject& owner) {
    m_owner = &owner;
    m_previous_sibling = owner.m_last_child;
    m_next_sibling = nullptr;
    if (owner.m_last_child != nullptr)
        owner.m_last_child->m_next_sibling = this;
    else
        owner.m_first_child = this;
    owner.m_last_child = this;
}

void GameObject::unlink() {
    if (m_owner == nullptr)
        return;
    if (m_previous_sibling != nullptr)
        m_previous_sibling->m_next_sibling = m_next_sibling;
    else
        m_owner->m_first_child = m_next_sibling;
    if (m_next_sibling != nullptr)
        m_next_sibling->m_previous_sibling = m_previous_sibling;
    else
        m_owner->m_last_child = m_previous_sibling;
    m_owner = nullptr;
    m_previous_sibling = nullptr;
    m_next_sibling = nullptr;
}

}  // namespace me
