#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace me {

// The declared type of a saved script member; the numbers are the codes of
// the type vocabulary and stay fixed.
enum class MemberType : uint8_t {
    Uint8 = 1,
    Uint16,
    Uint32,
    Sint8,
    Sint16,
    Sint32,
    Fixed,
    Bool,
    String,
    Ref,
    WeakRef,
    Uint8Array,
    Uint16Array,
    Uint32Array,
    Sint8Array,
    Sint16Array,
    Sint32Array,
    FixedArray,
    BoolArray,
    StringArray,
    RefArray,
    WeakRefArray,
};

inline constexpr int kMemberTypeCount = 22;

// Exact, case-sensitive match of the attribute text.
std::optional<MemberType> parse_member_type(std::string_view text);
// The attribute text of a code, "unknown" for any other value.
const char* member_type_name(int code);
inline const char* member_type_name(MemberType type) { return member_type_name(static_cast<int>(type)); }

bool is_array_type(MemberType type);
// The element type of an array type; a scalar type is its own element.
MemberType element_type(MemberType type);
bool is_integer_type(MemberType type);
// Bytes an integer, fixed or bool value takes in a buffer; 0 for the others.
int32_t scalar_size(MemberType type);

}  // namespace me
