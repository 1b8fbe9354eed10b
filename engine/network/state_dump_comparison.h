#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace me {

// Where two text dumps of saved states differ, in lines for a person hunting
// a desync: objects are compared index by index, members name by name.
class StateDumpComparison {
public:
    // Differing members reported at most; a missing object or a change of
    // class adds one line of its own.
    static constexpr size_t kMaxMemberLines = 32;

    // The names stand for the two states in the lines ("slot 3").
    StateDumpComparison(std::string first_name, std::string second_name)
        : m_first_name(std::move(first_name)), m_second_name(std::move(second_name)) {}

    // Empty when the dumps hold the same objects and values.
    std::vector<std::string> differences(std::string_view first, std::string_view second) const;

private:
    struct Member {
        std::string name;
        std::string value;
    };
    struct Object {
        std::string class_name;
        std::vector<Member> members;
    };
    struct Dump {
        std::vector<Member> header;
        std::vector<Object> objects;
    };

    static Dump parse(std::string_view text);
    static std::vector<Member> static_counts(const Dump& dump);
    void compare_members(const std::string& where, const std::vector<Member>& first,
                         const std::vector<Member>& second, std::vector<std::string>& lines) const;
    void add_member_line(const std::string& where, const std::string& member, std::string_view first,
                         std::string_view second, std::vector<std::string>& lines) const;
    std::string unmatched_objects_line(const Dump& first, const Dump& second) const;

    std::string m_first_name;
    std::string m_second_name;
};

}  // namespace me
