// The regular-expression engine behind the regexp class and the sqstd_rex_*
// functions. Patterns compile to a small program that is run as a
// Thompson-style simulation, so matching time grows linearly with the text
// and no pattern can recurse deeply or backtrack exponentially.
#ifndef ACORN_STDLIB_REGEXP_H
#define ACORN_STDLIB_REGEXP_H

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace acorn::stdlib {

// Offsets into the searched text; -1 for a group that took no part.
struct RegexSpan {
    std::ptrdiff_t begin = -1;
    std::ptrdiff_t end = -1;
};

enum class RegexOutcome { Matched, NoMatch, TooComplex };

enum class RegexOp : std::uint8_t {
    Char,
    Set,
    Any,
    Split,
    Jump,
    Save,
    TextStart,
    TextEnd,
    WordBoundary,
    NotWordBoundary,
    Balanced,  // ch opens, a closes; consumes up to the matching close
    Match
};

struct RegexInstruction {
    RegexOp op;
    unsigned char ch = 0;
    int a = 0;  // jump target, preferred split branch, save slot or set index
    int b = 0;  // the other split branch
};

class Regex {
public:
    // Returns null and sets `error` when the pattern is invalid or too large.
    static std::unique_ptr<Regex> compile(std::string_view pattern, std::string &error);

    // Leftmost match anywhere in the text; `^` and `$` anchor at its ends.
    RegexOutcome search(std::string_view text);
    // Match of the whole text.
    RegexOutcome match_whole(std::string_view text);

    // Groups plus one for the whole match (group 0).
    std::size_t group_count() const { return group_count_; }
    // The spans of the last successful match.
    RegexSpan group(std::size_t index) const;

private:
    Regex() = default;
    RegexOutcome run(std::string_view text, bool whole);

    std::vector<RegexInstruction> program_;
    std::vector<std::bitset<256>> sets_;
    std::size_t group_count_ = 1;
    std::vector<std::ptrdiff_t> last_slots_;

    friend class RegexCompiler;
    friend class RegexMachine;
};

}  // namespace acorn::stdlib

#endif
