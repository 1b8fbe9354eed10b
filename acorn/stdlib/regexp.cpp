#include "regexp.h"

#include <cctype>
#include <cstring>
#include <new>

#include "sqstdstring.h"

namespace acorn::stdlib {

namespace {

// Bounds the work for one search: enough for megabytes of text against an
// ordinary pattern, small enough that a hostile one gives up in about a second.
constexpr std::size_t kMaxSteps = 100'000'000;

bool is_word_char(unsigned char c) { return std::isalnum(c) != 0; }

}  // namespace

// The threads alive at one text position, in priority order, each with its
// capture slots. A program counter is listed at most once per position.
class RegexThreadList {
public:
    RegexThreadList(std::size_t program_size, std::size_t slot_count)
        : index_of_(program_size, 0), slot_count_(slot_count) {}

    bool contains(int pc) const {
        const std::size_t i = index_of_[pc];
        return i < pcs_.size() && pcs_[i] == pc;
    }

    void add(int pc, const std::vector<std::ptrdiff_t> &slots) {
        index_of_[pc] = pcs_.size();
        pcs_.push_back(pc);
        slots_.insert(slots_.end(), slots.begin(), slots.end());
    }

    void clear() {
        pcs_.clear();
        slots_.clear();
    }

    std::size_t size() const { return pcs_.size(); }
    int pc(std::size_t i) const { return pcs_[i]; }
    const std::ptrdiff_t *slots(std::size_t i) const { return slots_.data() + i * slot_count_; }

private:
    std::vector<std::size_t> index_of_;
    std::vector<int> pcs_;
    std::vector<std::ptrdiff_t> slots_;
    std::size_t slot_count_;
};

class RegexMachine {
public:
    RegexMachine(const Regex &regex, std::string_view text)
        : regex_(regex), text_(text), slot_count_(regex.group_count_ * 2), scratch_(slot_count_, -1),
          current_(regex.program_.size(), slot_count_), next_(regex.program_.size(), slot_count_) {}

    RegexOutcome run(bool whole, std::vector<std::ptrdiff_t> &best) {
        bool matched = false;
        for (std::size_t pos = 0;; ++pos) {
            if (!matched && (pos == 0 || !whole)) {
                scratch_.assign(slot_count_, -1);
                add_thread(current_, 0, pos);
            }
            if (steps_ > kMaxSteps) return RegexOutcome::TooComplex;
            wake_deferred(pos);
            if (current_.size() == 0 && deferred_.empty()) break;
            matched = step(pos, whole, best) || matched;
            if (steps_ > kMaxSteps) return RegexOutcome::TooComplex;
            if (pos >= text_.size()) break;
            std::swap(current_, next_);
        }
        return matched ? RegexOutcome::Matched : RegexOutcome::NoMatch;
    }

private:
    // A thread that matched a balanced run waits until the text reaches
    // the run's end, then continues at `pc` with its own slots.
    struct Deferred {
        std::size_t resume;
        int pc;
        std::vector<std::ptrdiff_t> slots;
    };

    struct Frame {
        int pc;
        int restore_slot;  // >= 0: restore this slot instead of visiting pc
        std::ptrdiff_t value;
    };

    // Advances every thread over the character at pos; a match ends the
    // threads of lower priority. Returns whether a match was recorded.
    bool step(std::size_t pos, bool whole, std::vector<std::ptrdiff_t> &best) {
        next_.clear();
        for (std::size_t i = 0; i < current_.size(); ++i) {
            const RegexInstruction &in = regex_.program_[current_.pc(i)];
            if (in.op == RegexOp::Match) {
                if (whole && pos != text_.size()) continue;
                best.assign(current_.slots(i), current_.slots(i) + slot_count_);
                return true;
            }
            if (in.op == RegexOp::Balanced) {
                defer_balanced(in, current_.pc(i) + 1, pos, current_.slots(i));
                continue;
            }
            if (pos < text_.size() && consumes(in, static_cast<unsigned char>(text_[pos]))) {
                scratch_.assign(current_.slots(i), current_.slots(i) + slot_count_);
                add_thread(next_, current_.pc(i) + 1, pos + 1);
            }
        }
        return false;
    }

    // The run must start with the opening character; nested opens count
    // up, closes count down (a close is tested first, as when both are alike).
    void defer_balanced(const RegexInstruction &in, int resume_pc, std::size_t pos, const std::ptrdiff_t *slots) {
        if (pos >= text_.size() || static_cast<unsigned char>(text_[pos]) != in.ch) return;
        const auto close = static_cast<unsigned char>(in.a);
        std::size_t open = 1;
        for (std::size_t at = pos + 1; at < text_.size(); ++at) {
            if (++steps_ > kMaxSteps) return;
            const auto c = static_cast<unsigned char>(text_[at]);
            if (c == close) {
                if (--open == 0) {
                    deferred_.push_back({at + 1, resume_pc, std::vector<std::ptrdiff_t>(slots, slots + slot_count_)});
                    return;
                }
            } else if (c == in.ch) {
                ++open;
            }
        }
    }

    void wake_deferred(std::size_t pos) {
        for (std::size_t i = 0; i < deferred_.size();) {
            if (deferred_[i].resume != pos) {
                ++i;
                continue;
            }
            scratch_ = std::move(deferred_[i].slots);
            add_thread(current_, deferred_[i].pc, pos);
            deferred_.erase(deferred_.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }

    bool consumes(const RegexInstruction &in, unsigned char c) const {
        switch (in.op) {
        case RegexOp::Char: return in.ch == c;
        case RegexOp::Set: return regex_.sets_[in.a].test(c);
        case RegexOp::Any: return true;
        default: return false;
        }
    }

    bool at_word_boundary(std::size_t pos) const {
        const bool before = pos > 0 && is_word_char(static_cast<unsigned char>(text_[pos - 1]));
        const bool after = pos < text_.size() && is_word_char(static_cast<unsigned char>(text_[pos]));
        return before != after;
    }

    bool assertion_holds(RegexOp op, std::size_t pos) const {
        switch (op) {
        case RegexOp::TextStart: return pos == 0;
        case RegexOp::TextEnd: return pos == text_.size();
        case RegexOp::WordBoundary: return at_word_boundary(pos);
        default: return !at_word_boundary(pos);
        }
    }

    // Follows jumps, splits, saves and assertions from pc with the slots in
    // scratch_, listing every instruction reached. Iterative, so the nesting
    // of the pattern never reaches the C++ stack.
    void add_thread(RegexThreadList &list, int start_pc, std::size_t pos) {
        stack_.clear();
        stack_.push_back({start_pc, -1, 0});
        while (!stack_.empty()) {
            const Frame frame = stack_.back();
            stack_.pop_back();
            if (frame.restore_slot >= 0) {
                scratch_[frame.restore_slot] = frame.value;
                continue;
            }
            if (list.contains(frame.pc)) continue;
            if (++steps_ > kMaxSteps) return;
            list.add(frame.pc, scratch_);
            follow(regex_.program_[frame.pc], frame.pc, pos);
        }
    }

    void follow(const RegexInstruction &in, int pc, std::size_t pos) {
        switch (in.op) {
        case RegexOp::Jump: stack_.push_back({in.a, -1, 0}); break;
        case RegexOp::Split:
            stack_.push_back({in.b, -1, 0});
            stack_.push_back({in.a, -1, 0});
            break;
        case RegexOp::Save:
            stack_.push_back({0, in.a, scratch_[in.a]});
            scratch_[in.a] = static_cast<std::ptrdiff_t>(pos);
            stack_.push_back({pc + 1, -1, 0});
            break;
        case RegexOp::TextStart:
        case RegexOp::TextEnd:
        case RegexOp::WordBoundary:
        case RegexOp::NotWordBoundary:
            if (assertion_holds(in.op, pos)) stack_.push_back({pc + 1, -1, 0});
            break;
        default: break;
        }
    }

    const Regex &regex_;
    std::string_view text_;
    std::size_t slot_count_;
    std::vector<std::ptrdiff_t> scratch_;
    RegexThreadList current_;
    RegexThreadList next_;
    std::vector<Frame> stack_;
    std::vector<Deferred> deferred_;
    std::size_t steps_ = 0;
};

// Running out of memory for the thread lists counts as too much work.
RegexOutcome Regex::run(std::string_view text, bool whole) {
    std::vector<std::ptrdiff_t> best;
    RegexOutcome outcome = RegexOutcome::TooComplex;
    try {
        RegexMachine machine(*this, text);
        outcome = machine.run(whole, best);
    } catch (const std::bad_alloc &) {
        outcome = RegexOutcome::TooComplex;
    }
    last_slots_ = outcome == RegexOutcome::Matched ? std::move(best) : std::vector<std::ptrdiff_t>();
    return outcome;
}

RegexOutcome Regex::search(std::string_view text) { return run(text, false); }

RegexOutcome Regex::match_whole(std::string_view text) { return run(text, true); }

RegexSpan Regex::group(std::size_t index) const {
    if (index >= group_count_ || last_slots_.size() < (index + 1) * 2) return {};
    const std::ptrdiff_t begin = last_slots_[index * 2];
    const std::ptrdiff_t end = last_slots_[index * 2 + 1];
    if (begin < 0 || end < 0) return {};
    return {begin, end};
}

}  // namespace acorn::stdlib

using acorn::stdlib::Regex;
using acorn::stdlib::RegexOutcome;

struct SQRex {
    std::unique_ptr<Regex> regex;
    const SQChar *text = nullptr;
};

extern "C" {

SQRex *sqstd_rex_compile(const SQChar *pattern, const SQChar **error) {
    static thread_local std::string last_error;
    if (pattern == nullptr) {
        last_error = "null pattern";
        if (error != nullptr) *error = last_error.c_str();
        return nullptr;
    }
    auto rex = std::make_unique<SQRex>();
    rex->regex = Regex::compile(pattern, last_error);
    if (!rex->regex) {
        if (error != nullptr) *error = last_error.c_str();
        return nullptr;
    }
    return rex.release();
}

void sqstd_rex_free(SQRex *exp) { delete exp; }

SQBool sqstd_rex_match(SQRex *exp, const SQChar *text) {
    if (exp == nullptr || text == nullptr) return SQFalse;
    exp->text = text;
    return exp->regex->match_whole(text) == RegexOutcome::Matched ? SQTrue : SQFalse;
}

SQBool sqstd_rex_searchrange(SQRex *exp, const SQChar *text_begin, const SQChar *text_end,
                             const SQChar **out_begin, const SQChar **out_end) {
    if (exp == nullptr || text_begin == nullptr || text_end < text_begin) return SQFalse;
    exp->text = text_begin;
    const std::string_view text(text_begin, static_cast<std::size_t>(text_end - text_begin));
    if (exp->regex->search(text) != RegexOutcome::Matched) return SQFalse;
    const acorn::stdlib::RegexSpan whole = exp->regex->group(0);
    if (out_begin != nullptr) *out_begin = text_begin + whole.begin;
    if (out_end != nullptr) *out_end = text_begin + whole.end;
    return SQTrue;
}

SQBool sqstd_rex_search(SQRex *exp, const SQChar *text, const SQChar **out_begin, const SQChar **out_end) {
    if (text == nullptr) return SQFalse;
    return sqstd_rex_searchrange(exp, text, text + std::strlen(text), out_begin, out_end);
}

SQInteger sqstd_rex_getsubexpcount(SQRex *exp) {
    return exp == nullptr ? 0 : static_cast<SQInteger>(exp->regex->group_count());
}

SQBool sqstd_rex_getsubexp(SQRex *exp, SQInteger n, SQRexMatch *subexp) {
    if (exp == nullptr || subexp == nullptr || n < 0 || n >= sqstd_rex_getsubexpcount(exp)) return SQFalse;
    const acorn::stdlib::RegexSpan span = exp->regex->group(static_cast<std::size_t>(n));
    if (span.begin < 0 || exp->text == nullptr) {
        subexp->begin = nullptr;
        subexp->len = 0;
    } else {
        subexp->begin = exp->text + span.begin;
        subexp->len = static_cast<SQInteger>(span.end - span.begin);
    }
    return SQTrue;
}

}  // extern "C"
