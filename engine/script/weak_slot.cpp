#include "script/weak_slot.h"

namespace me {

void WeakSlot::set(void* target, WeakSlotList* list) {
    reset();
    m_target = target;
    m_list = list;
    list->add(*this);
}

void WeakSlot::reset() {
    if (m_list != nullptr)
        m_list->remove(*this);
    m_target = nullptr;
    m_list = nullptr;
}

void WeakSlotList::add(WeakSlot& slot) {
    slot.m_next = m_first;
    m_first = &slot;
}

void WeakSlotList::remove(WeakSlot& slot) {
    for (WeakSlot** link = &m_first; *link != nullptr; link = &(*link)->m_next) {
        if (*link == &slot) {
            *link = slot.m_next;
            slot.m_next = nullptr;
            return;
        }
    }
}

void WeakSlotList::clear_all() {
    while (m_first != nullptr) {
        WeakSlot* slot = m_first;
        m_first = slot->m_next;
        slot->m_target = nullptr;
        slot->m_list = nullptr;
        slot->m_next = nullptr;
    }
}

}  // namespace me
