#pragma once

#include <squirrel.h>

#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "network/state_buffer.h"
#include "network/state_class_info.h"

namespace me {

class StateObject;

// Writes object records into a state buffer: class index, native members,
// then the script members read from the object's instance. Each distinct
// string is stored once per writer, at its first use. A value that does not
// fit its declared type is script misuse and fatal.
class StateWriter {
public:
    StateWriter(HSQUIRRELVM vm, StateBuffer& buffer, std::span<StateObject* const> objects);

    void write_object(const StateObject& object, const StateClassInfo& info);

private:
    // What a failure message names: the member, its class, and the array
    // element (or -1).
    struct Place {
        const StateMemberInfo& member;
        const StateClassInfo& info;
        SQInteger element;
        std::string what() const;
    };

    void write_member(SQInteger instance, const StateMemberInfo& member, const StateClassInfo& info);
    void write_value(MemberType type, SQInteger value_index, const Place& place);
    void write_integer(MemberType type, SQInteger value_index, const Place& place);
    void write_string(SQInteger value_index, const Place& place);
    void write_ref(SQInteger value_index, const Place& place);
    void write_weakref(SQInteger value_index, const Place& place);
    void write_array(MemberType type, SQInteger value_index, const Place& place);

    HSQUIRRELVM m_vm;
    StateBuffer& m_buffer;
    std::span<StateObject* const> m_objects;
    // Index 0 is null; the views point into m_strings, whose elements never move.
    std::deque<std::string> m_strings;
    std::unordered_map<std::string_view, uint32_t> m_string_indices;
};

// The script's name of a value type ("integer", "table", ...).
const char* script_type_name(SQObjectType type);

}  // namespace me
