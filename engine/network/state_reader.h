#pragma once

#include <squirrel.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "network/state_buffer.h"
#include "network/state_class_info.h"
#include "script/script_object.h"

namespace me {

class StateObject;

// Reads object records back from a state buffer into live objects, in the
// order they were written. Problems with the buffer are warnings and make
// the read fail.
class StateReader {
public:
    StateReader(HSQUIRRELVM vm, StateBuffer& buffer, std::span<StateObject* const> objects);

    // The record of object index (class index, native members, script members).
    bool read_object(StateObject& object, const StateClassInfo& info, uint32_t index);

private:
    bool read_members(StateObject& object, const StateClassInfo& info);
    bool push_member(const StateMemberInfo& member, const StateClassInfo& info);
    // Pushes the value read; false (nothing pushed) on failure.
    bool push_value(MemberType type, const StateMemberInfo& member, const StateClassInfo& info);
    bool push_integer(MemberType type);
    bool push_string();
    bool push_ref(bool weak);
    bool push_array(MemberType type, const StateMemberInfo& member, const StateClassInfo& info);

    HSQUIRRELVM m_vm;
    StateBuffer& m_buffer;
    std::span<StateObject* const> m_objects;
    // The script strings read so far, so that each is made once; index 0
    // is null.
    std::vector<ScriptObject> m_strings;
};

}  // namespace me
