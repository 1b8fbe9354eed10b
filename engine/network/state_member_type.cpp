#include "network/state_member_type.h"

#include <array>

namespace me {

namespace {

constexpr std::array<const char*, kMemberTypeCount> kTypeNames{
    "uint8",   "uint16",   "uint32",   "sint8",   "sint16",   "sint32",   "fixed",    "bool",
    "string",  "ref",      "weakref",  "uint8[]", "uint16[]", "uint32[]", "sint8[]",  "sint16[]",
    "sint32[]", "fixed[]", "bool[]",   "string[]", "ref[]",   "weakref[]"};

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

}  // namespace me
