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

// Inline: every saved member asks these.
constexpr bool is_array_type(MemberType type) { return type >= MemberType::Uint8Array; }

// The element type of an array type; a scalar type is its own element.
constexpr MemberType element_type(MemberType type) {
    if (!is_array_type(type))
        return type;
    return static_cast<MemberType>(static_cast<int>(type) - static_cast<int>(MemberType::Uint8Array) +
                                   static_cast<int>(MemberType::Uint8));
}

constexpr bool is_integer_type(MemberType type) { return type >= MemberType::Uint8 && type <= MemberType::Fixed; }

// Bytes an integer, fixed or bool value takes in a buffer; 0 for the others.
constexpr int32_t scalar_size(MemberType type) {
    switch (type) {
    case MemberType::Uint8:
    case MemberType::Sint8:
    case MemberType::Bool:
        return 1;
    case MemberType::Uint16:
    case MemberType::Sint16:
        return 2;
    case MemberType::Uint32:
    case MemberType::Sint32:
    case MemberType::Fixed:
        return 4;
    default:
        return 0;
    }
}

}  // namespace me
