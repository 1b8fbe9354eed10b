#pragma once

#include <squirrel.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "script/script_object.h"

namespace me {

// Reads the elements of an array found in a sprite def. Anything that is
// not an array reads as an empty one.
class SpriteDefArray {
public:
    SpriteDefArray(HSQUIRRELVM vm, const ScriptObject& array);

    bool is_array() const { return m_array.type() == OT_ARRAY; }
    size_t size() const { return m_size; }
    // OT_NULL past the end.
    SQObjectType type(size_t i) const { return element(i).type(); }
    ScriptObject element(size_t i) const;
    // Integers and floats as a float; nothing for any other element.
    std::optional<float> number(size_t i) const;
    // Integers as they are, floats truncated toward zero.
    std::optional<SQInteger> integer(size_t i) const;
    std::optional<std::string> string(size_t i) const;
    // The numbers of the first defaults.size() elements, each missing or
    // non-numeric one replaced by its default; fits is false when such a
    // replacement happened for a present element or the array is longer.
    std::vector<float> numbers_or(const std::vector<float>& defaults, bool& fits) const;

private:
    HSQUIRRELVM m_vm;
    ScriptObject m_array;
    size_t m_size = 0;
};

}  // namespace me
