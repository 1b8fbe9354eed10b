#pragma once

#include <squirrel.h>

#include <cstdint>

#include "script/class_record.h"
#include "script/game_object.h"

namespace me {

class StateBuffer;
class StateDumpWriter;

// The native base of every networked object: an instance of a script class
// registered as a state class. It is in the state manager's object table
// from its script construction until its destruction.
class StateObject : public GameObject {
public:
    static const ClassRecord kClassRecord;

    StateObject() = default;
    // Unregisters the object; the map state decides whether that is allowed.
    ~StateObject() override;

    const ClassRecord& class_record() const override { return kClassRecord; }

    // Called by the script constructor once the instance at idx is bound:
    // registers the object with the state manager.
    void attach_instance(HSQUIRRELVM vm, SQInteger idx);

    // Native members, written before the script members of the object's
    // record. Subclasses that add some override all four.
    virtual void dump_native_state(StateDumpWriter&) const {}
    virtual void save_native_state(StateBuffer&) const {}
    virtual void before_dynamic_destroy() {}
    virtual bool load_native_state(StateBuffer&) { return true; }

    uint16_t class_index() const { return m_class_index; }
    uint16_t object_index() const { return m_object_index; }
    bool is_registered() const { return m_registered; }

    void set_registration(uint16_t class_index, uint16_t object_index) {
        m_class_index = class_index;
        m_object_index = object_index;
        m_registered = true;
    }
    void set_object_index(uint16_t object_index) { m_object_index = object_index; }
    // The manager is gone: nothing to unregister from any more.
    void forget_registration() { m_registered = false; }

private:
    uint16_t m_class_index = 0;
    uint16_t m_object_index = 0;
    bool m_registered = false;
};

}  // namespace me
