#pragma once

#include "script/class_record.h"
#include "script/native_class_ownership.h"
#include "script/weak_slot.h"

namespace me {

// A native object whose life is tied to a script instance of "GameObject",
// and a node of an ownership tree: an owner holds one native reference on
// each of its children.
class GameObject {
public:
    using Root = GameObject;
    static const ClassRecord kClassRecord;

    GameObject() = default;
    GameObject(const GameObject&) = delete;
    GameObject& operator=(const GameObject&) = delete;
    // Nulls the weak slots, then detaches every child in order.
    virtual ~GameObject();

    virtual const ClassRecord& class_record() const { return kClassRecord; }

    void acquire() { m_ownership.acquire(); }
    void release();
    NativeClassOwnership& ownership() { return m_ownership; }
    WeakSlotList& weak_slots() { return m_weak_slots; }

    // Null detaches; detaching releases the owner's reference, which may
    // destroy this object before the call returns. An owner that is this
    // object or one it owns directly or below is refused with an error line.
    void set_owner(GameObject* owner);
    GameObject* owner() const { return m_owner; }
    GameObject* first_child() const { return m_first_child; }
    GameObject* next_sibling() const { return m_next_sibling; }
    // True for this object itself and everything below it.
    bool owns(const GameObject& object) const;

private:
    void append_to(GameObject& owner);
    void unlink();

    NativeClassOwnership m_ownership;
    WeakSlotList m_weak_slots;
    GameObject* m_owner = nullptr;
    GameObject* m_first_child = nullptr;
    GameObject* m_last_child = nullptr;
    GameObject* m_previous_sibling = nullptr;
    GameObject* m_next_sibling = nullptr;
};

}  // namespace me
