#pragma once

namespace me {

class WeakSlotList;

// A pointer to an object that does not keep it alive: the object's slot list
// sets it to null when the object dies.
class WeakSlot {
public:
    WeakSlot() = default;
    WeakSlot(const WeakSlot&) = delete;
    WeakSlot& operator=(const WeakSlot&) = delete;
    ~WeakSlot() { reset(); }

    void set(void* target, WeakSlotList* list);
    void reset();
    void* target() const { return m_target; }

private:
    friend class WeakSlotList;

    void* m_target = nullptr;
    WeakSlotList* m_list = nullptr;
    WeakSlot* m_next = nullptr;
};

// The slots that point at one object.
class WeakSlotList {
public:
    WeakSlotList() = default;
    WeakSlotList(const WeakSlotList&) = delete;
    WeakSlotList& operator=(const WeakSlotList&) = delete;
    ~WeakSlotList() { clear_all(); }

    void add(WeakSlot& slot);
    void remove(WeakSlot& slot);
    // Sets every slot to null; called first when the object dies.
    void clear_all();

private:
    WeakSlot* m_first = nullptr;
};

// A typed weak slot for any class that exposes weak_slots().
template <class T>
class WeakPointer {
public:
    WeakPointer() = default;
    explicit WeakPointer(T* target) { reset(target); }

    void reset(T* target = nullptr) {
        if (target == nullptr)
            m_slot.reset();
        else
            m_slot.set(target, &target->weak_slots());
    }
    T* get() const { return static_cast<T*>(m_slot.target()); }

private:
    WeakSlot m_slot;
};

}  // namespace me
