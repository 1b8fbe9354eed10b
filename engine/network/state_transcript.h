#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace me {

class StateDumpWriter;

// A saved state being written out as text rather than into live objects:
// the dump it goes to and the class name of every saved object, so that a
// stored reference reads as the dump of the live objects would show it.
class StateTranscript {
public:
    StateTranscript(StateDumpWriter& dump, std::vector<std::string> object_classes)
        : m_dump(dump), m_object_classes(std::move(object_classes)) {}

    StateDumpWriter& dump() const { return m_dump; }
    uint32_t object_count() const { return static_cast<uint32_t>(m_object_classes.size()); }
    // A reference as a buffer stores it (object index + 1, 0 for null); "?"
    // for an index beyond the saved objects.
    std::string ref_text(uint16_t stored) const;

private:
    StateDumpWriter& m_dump;
    std::vector<std::string> m_object_classes;
};

}  // namespace me
