#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "network/state_buffer.h"
#include "network/state_class_info.h"

namespace me {

class StateDumpWriter;
class StateTranscript;

// Writes a saved state out as the debug text dump, from its bytes alone:
// the text a save with debug level 2 writes from the live objects it saved.
// It reads the buffer against the registered classes, so a state kept in a
// slot can be shown (or compared) long after the world has moved on.
class StateBufferText {
public:
    explicit StateBufferText(std::span<const std::unique_ptr<StateClassInfo>> classes) : m_classes(classes) {}

    // Null, with a warning saying where, when the bytes are not a state of
    // these classes.
    std::optional<std::string> text(const StateBuffer& saved);

private:
    bool read_types(StateBuffer& buffer, StateDumpWriter& dump, std::vector<const StateClassInfo*>& object_classes);
    bool write_object(StateBuffer& buffer, const StateTranscript& transcript, const StateClassInfo& info,
                      uint32_t index);
    bool write_native_members(StateBuffer& buffer, const StateTranscript& transcript, const StateClassInfo& info);
    bool write_member(StateBuffer& buffer, const StateTranscript& transcript, const StateMemberInfo& member);
    std::optional<std::string> value_text(StateBuffer& buffer, const StateTranscript& transcript, MemberType type);
    std::optional<std::string> string_text(StateBuffer& buffer);
    const StateClassInfo* class_named_by(uint16_t index) const;

    std::span<const std::unique_ptr<StateClassInfo>> m_classes;
    // The strings read so far, in the order the buffer numbers them; index 0
    // is null.
    std::vector<std::string> m_strings;
};

}  // namespace me
