#include "network/state_dump_comparison.h"

#include <algorithm>

#include "core/log_format.h"

namespace me {

namespace {

constexpr std::string_view kBlockOpening = " {";
constexpr std::string_view kAssignment = " = ";
// The header line that the object comparison does not already cover: the
// counts and type runs follow from the objects themselves.
constexpr std::string_view kStaticCount = "static_count";

std::string_view without_indent(std::string_view line) {
    const size_t start = line.find_first_not_of(' ');
    return start == std::string_view::npos ? std::string_view() : line.substr(start);
}

}  // namespace

StateDumpComparison::Dump StateDumpComparison::parse(std::string_view text) {
    Dump dump;
    Object* object = nullptr;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view raw_line = text.substr(0, end);
        const std::string_view line = without_indent(raw_line);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        // Only objects open and close blocks without indent; a member whose
        // text ends in " {" is still a member.
        const bool outermost = line.size() == raw_line.size();
        if (outermost && line.ends_with(kBlockOpening)) {
            const std::string_view header = line.substr(0, line.size() - kBlockOpening.size());
            dump.objects.push_back({std::string(header.substr(0, header.rfind(' '))), {}});
            object = &dump.objects.back();
            continue;
        }
        if (outermost && line == "}") {
            object = nullptr;
            continue;
        }
        const size_t assignment = line.find(kAssignment);
        if (assignment == std::string_view::npos)
            continue;
        Member member{std::string(line.substr(0, assignment)),
                      std::string(line.substr(assignment + kAssignment.size()))};
        (object != nullptr ? object->members : dump.header).push_back(std::move(member));
    }
    return dump;
}

std::vector<StateDumpComparison::Member> StateDumpComparison::static_counts(const Dump& dump) {
    std::vector<Member> counts;
    for (const Member& member : dump.header)
        if (member.name == kStaticCount)
            counts.push_back(member);
    return counts;
}

std::vector<std::string> StateDumpComparison::differences(std::string_view first_text,
                                                          std::string_view second_text) const {
    const Dump first = parse(first_text);
    const Dump second = parse(second_text);
    std::vector<std::string> lines;
    compare_members("state", static_counts(first), static_counts(second), lines);
    const size_t common = std::min(first.objects.size(), second.objects.size());
    for (size_t i = 0; i < common; ++i) {
        const Object& a = first.objects[i];
        const Object& b = second.objects[i];
        if (a.class_name != b.class_name) {
            lines.push_back(format_message("object %1 is %2 in %3 but %4 in %5; the objects after it are not compared",
                                           i, a.class_name, m_first_name, b.class_name, m_second_name));
            return lines;
        }
        compare_members(format_message("object %1 (%2)", i, a.class_name), a.members, b.members, lines);
    }
    if (first.objects.size() != second.objects.size())
        lines.push_back(unmatched_objects_line(first, second));
    return lines;
}

void StateDumpComparison::compare_members(const std::string& where, const std::vector<Member>& first,
                                          const std::vector<Member>& second, std::vector<std::string>& lines) const {
    std::vector<bool> matched(second.size(), false);
    for (const Member& a : first) {
        size_t j = 0;
        while (j < second.size() && (matched[j] || second[j].name != a.name))
            ++j;
        if (j == second.size()) {
            add_member_line(where, a.name, a.value, "(absent)", lines);
            continue;
        }
        matched[j] = true;
        if (second[j].value != a.value)
            add_member_line(where, a.name, a.value, second[j].value, lines);
    }
    for (size_t j = 0; j < second.size(); ++j)
        if (!matched[j])
            add_member_line(where, second[j].name, "(absent)", second[j].value, lines);
}

void StateDumpComparison::add_member_line(const std::string& where, const std::string& member,
                                          std::string_view first, std::string_view second,
                                          std::vector<std::string>& lines) const {
    if (lines.size() >= kMaxMemberLines)
        return;
    lines.push_back(format_message("%1 member %2: %3 in %4, %5 in %6", where, member, first, m_first_name, second,
                                   m_second_name));
}

std::string StateDumpComparison::unmatched_objects_line(const Dump& first, const Dump& second) const {
    const bool first_longer = first.objects.size() > second.objects.size();
    const Dump& longer = first_longer ? first : second;
    const size_t index = std::min(first.objects.size(), second.objects.size());
    return format_message("%1 holds %2 objects and %3 holds %4; object %5 (%6) and those after it are only in %7",
                          m_first_name, first.objects.size(), m_second_name, second.objects.size(), index,
                          longer.objects[index].class_name, first_longer ? m_first_name : m_second_name);
}

}  // namespace me
