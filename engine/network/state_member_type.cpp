#include "network/state_member_type.h"

#include <array>

namespace me {

namespace {

constexpr std::array<const char*, kMemberTypeCount> kTypeNames{
    "uint8",   "uint16",   "uint32",   "sint8",   "sint16",   "sint32",   "fixed",    "bool",
    "string",  "ref",      "weakref",  "uint8[]", "uint16[]", "uint32[]", "sint8[]",  "sint16[]",
    "sint32[]", "fixed[]", "bool[]",   "string[]", "ref[]",   "weakref[]"};

constexpr int kFirstArrayCode = static_cast<int>(MemberType::Uint8Array);
constexpr int kArrayCodeOffset = kFirstArrayCode - static_cast<int>(MemberType::Uint8);

}  // namespace

std::optional<MemberType> parse_member_type(std::string_view text) {
    for (size_t i = 0; i < kTypeNames.size(); ++i)
        if (text == kTypeNames[i])
            return static_cast<MemberType>(i + 1);
    return std::nullopt;
}

const char* member_type_name(int code) {
    if (code < 1 || code > kMemberTypeCount)
        return "unknown";
    return kTypeNames[static_cast<size_t>(code - 1)];
}

bool is_array_type(MemberType type) { return static_cast<int>(type) >= kFirstArrayCode; }

MemberType element_type(MemberType type) {
    if (!is_array_type(type))
        return type;
    return static_cast<MemberType>(static_cast<int>(type) - kArrayCodeOffset);
}

bool is_integer_type(MemberType type) { return type >= MemberType::Uint8 && type <= MemberType::Fixed; }

int32_t scalar_size(MemberType type) {
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
