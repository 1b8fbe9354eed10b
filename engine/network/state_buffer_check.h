#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "network/state_buffer.h"
#include "network/state_class_info.h"

namespace me {

class StateObject;

// Steps through a saved state without touching any object, so that a buffer
// whose CRC is right but whose content does not fit the class registry is
// refused before a rollback destroys anything. Every refusal is a warning.
//
// Native members are stepped over for plain StateObjects (they write none)
// and for native classes that declare a NativeStateSkipper; at the first
// record of any other native class the check stops and accepts what it has
// seen.
class StateBufferCheck {
public:
    explicit StateBufferCheck(std::span<const std::unique_ptr<StateClassInfo>> classes) : m_classes(classes) {}

    // The type section and every record of a state about to replace the
    // world whose static objects are given.
    bool check_state(StateBuffer& buffer, std::span<StateObject* const> static_objects);
    // The first record only, read by a world of one object.
    bool check_first_record(StateBuffer& buffer, const StateClassInfo& world);

private:
    bool read_types(StateBuffer& buffer, std::span<StateObject* const> static_objects,
                    std::vector<uint16_t>& object_classes);
    bool skip_record(StateBuffer& buffer, const StateClassInfo& info, uint32_t object_count);
    bool skip_value(StateBuffer& buffer, MemberType type, uint32_t object_count);
    bool skip_string(StateBuffer& buffer);

    std::span<const std::unique_ptr<StateClassInfo>> m_classes;
    uint32_t m_string_count = 1;
};

}  // namespace me
