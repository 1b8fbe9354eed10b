// Pattern syntax: . [] [^] ^ $ | () (?:) * + ? {n} {n,} {n,m} and the
// escapes \t \n \r \f \v, the classes \w \W \s \S \d \D \x \X \l \u \a \A
// \c \C \p \P, the word-boundary assertions \b \B and \mXY, a balanced
// run from X to its matching Y. Any other escaped character stands for itself.
// Errors are worded as the reference library words them, so a script that
// shows one prints the same text.
#include "regexp.h"

#include <ctype.h>

#include <cctype>
#include <new>

namespace acorn::stdlib {

namespace {

constexpr int kMaxNesting = 100;
constexpr std::size_t kMaxProgramSize = 8192;
constexpr int kMaxRepeatBound = 1000;
constexpr std::size_t kMaxGroups = 32;

struct PatternError {
    const char *message;
};

using CharSet = std::bitset<256>;

struct Node {
    enum class Kind {
        Char, Set, Any, TextStart, TextEnd, WordBoundary, NotWordBoundary, Balanced, Group, Concat, Alternation, Repeat
    };
    Kind kind = Kind::Concat;
    unsigned char ch = 0;
    unsigned char close = 0;  // Balanced: the closing character (`ch` opens)
    int set = -1;
    int capture = -1;  // group number, or -1 for (?:)
    int min = 0;
    int max = 0;  // -1: unbounded
    std::vector<Node> children;
};

Node make_node(Node::Kind kind) {
    Node node;
    node.kind = kind;
    return node;
}

struct ClassEscape {
    char letter;
    int (*test)(int);
    bool negate;
};

constexpr ClassEscape kClassEscapes[] = {
    {'w', isalnum, false}, {'W', isalnum, true}, {'s', isspace, false}, {'S', isspace, true},
    {'d', isdigit, false}, {'D', isdigit, true}, {'x', isxdigit, false}, {'X', isxdigit, true},
    {'a', isalpha, false}, {'A', isalpha, true}, {'c', iscntrl, false}, {'C', iscntrl, true},
    {'p', ispunct, false}, {'P', ispunct, true}, {'l', islower, false}, {'u', isupper, false},
};

bool class_escape(char letter, CharSet &out) {
    for (const ClassEscape &escape : kClassEscapes) {
        if (escape.letter != letter) continue;
        for (int c = 0; c < 256; ++c) {
            if ((escape.test(c) != 0) != escape.negate) out.set(c);
        }
        return true;
    }
    return false;
}

char escaped_char(char letter) {
    switch (letter) {
    case 't': return '\t';
    case 'n': return '\n';
    case 'r': return '\r';
    case 'f': return '\f';
    case 'v': return '\v';
    default: return letter;
    }
}

class Parser {
public:
    Parser(std::string_view pattern, std::vector<CharSet> &sets) : pattern_(pattern), sets_(sets) {}

    Node parse() {
        Node root = alternation(0);
        if (!at_end()) throw PatternError{"unexpected character"};
        return root;
    }

    std::size_t groups() const { return groups_; }

private:
    bool at_end() const { return pos_ >= pattern_.size(); }
    char peek() const { return pattern_[pos_]; }

    Node alternation(int depth) {
        Node first = concatenation(depth);
        if (at_end() || peek() != '|') return first;
        Node alt = make_node(Node::Kind::Alternation);
        alt.children.push_back(std::move(first));
        while (!at_end() && peek() == '|') {
            ++pos_;
            alt.children.push_back(concatenation(depth));
        }
        return alt;
    }

    Node concatenation(int depth) {
        Node seq = make_node(Node::Kind::Concat);
        while (!at_end() && peek() != '|' && peek() != ')') seq.children.push_back(quantified(depth));
        return seq;
    }

    Node quantified(int depth) {
        Node node = atom(depth);
        for (int stacked = 0; !at_end(); ++stacked) {
            if (stacked > kMaxNesting) throw PatternError{"too many repetitions in a row"};
            int min = 0;
            int max = -1;
            const char c = peek();
            if (c == '*') {
                ++pos_;
            } else if (c == '+') {
                ++pos_;
                min = 1;
            } else if (c == '?') {
                ++pos_;
                max = 1;
            } else if (c == '{') {
                ++pos_;
                repetition_bounds(min, max);
            } else {
                break;
            }
            Node repeat = make_node(Node::Kind::Repeat);
            repeat.min = min;
            repeat.max = max;
            repeat.children.push_back(std::move(node));
            node = std::move(repeat);
        }
        return node;
    }

    int bound() {
        if (at_end() || !std::isdigit(static_cast<unsigned char>(peek()))) throw PatternError{"number expected"};
        int value = 0;
        while (!at_end() && std::isdigit(static_cast<unsigned char>(peek()))) {
            value = value * 10 + (peek() - '0');
            ++pos_;
            if (value > kMaxRepeatBound) throw PatternError{"repetition count too large"};
        }
        return value;
    }

    void repetition_bounds(int &min, int &max) {
        min = bound();
        max = min;
        if (!at_end() && peek() == ',') {
            ++pos_;
            max = (!at_end() && peek() == '}') ? -1 : bound();
        }
        if (at_end() || peek() != '}') throw PatternError{", or } expected"};
        ++pos_;
        if (max != -1 && max < min) throw PatternError{"repetition bounds out of order"};
    }

    Node atom(int depth) {
        const char c = peek();
        ++pos_;
        switch (c) {
        case '(': return group(depth + 1);
        case '[': return bracket();
        case '\\': return escape();
        case '.': return make_node(Node::Kind::Any);
        case '^': return make_node(Node::Kind::TextStart);
        case '$': return make_node(Node::Kind::TextEnd);
        case '*':
        case '+':
        case '?':
        case '{': throw PatternError{"nothing to repeat"};
        default: return literal(c);
        }
    }

    static Node literal(char c) {
        Node node = make_node(Node::Kind::Char);
        node.ch = static_cast<unsigned char>(c);
        return node;
    }

    Node group(int depth) {
        if (depth > kMaxNesting) throw PatternError{"groups nested too deeply"};
        Node node = make_node(Node::Kind::Group);
        if (pattern_.substr(pos_, 2) == "?:") {
            pos_ += 2;
        } else {
            if (groups_ >= kMaxGroups) throw PatternError{"too many groups"};
            node.capture = static_cast<int>(++groups_);
        }
        if (at_end()) throw PatternError{"letter expected"};
        node.children.push_back(alternation(depth));
        if (at_end()) throw PatternError{"expected paren"};
        ++pos_;
        return node;
    }

    Node set_node(const CharSet &set) {
        Node node = make_node(Node::Kind::Set);
        node.set = static_cast<int>(sets_.size());
        sets_.push_back(set);
        return node;
    }

    Node escape() {
        if (at_end()) throw PatternError{"letter expected for argument of escape sequence"};
        const char c = pattern_[pos_++];
        if (c == 'b') return make_node(Node::Kind::WordBoundary);
        if (c == 'B') return make_node(Node::Kind::NotWordBoundary);
        if (c == 'm') return balanced();
        CharSet set;
        if (class_escape(c, set)) return set_node(set);
        return literal(escaped_char(c));
    }

    Node balanced() {
        if (pos_ + 2 > pattern_.size()) throw PatternError{"balanced chars expected"};
        Node node = make_node(Node::Kind::Balanced);
        node.ch = static_cast<unsigned char>(pattern_[pos_++]);
        node.close = static_cast<unsigned char>(pattern_[pos_++]);
        if (node.ch == node.close) throw PatternError{"open/close char can't be the same"};
        return node;
    }

    // One member of a bracket: returns the character, or adds a class escape
    // to `set` and returns -1.
    int bracket_member(CharSet &set) {
        const char c = pattern_[pos_++];
        if (c != '\\') return static_cast<unsigned char>(c);
        if (at_end()) throw PatternError{"letter expected for argument of escape sequence"};
        const char letter = pattern_[pos_++];
        if (class_escape(letter, set)) return -1;
        return static_cast<unsigned char>(escaped_char(letter));
    }

    Node bracket() {
        CharSet set;
        const bool negate = !at_end() && peek() == '^';
        if (negate) ++pos_;
        bool first = true;
        while (true) {
            if (at_end()) throw PatternError{"letter expected"};
            if (peek() == ']') {
                if (first) throw PatternError{"empty class"};
                break;
            }
            first = false;
            const int low = bracket_member(set);
            if (low < 0) continue;
            if (pos_ + 1 < pattern_.size() && peek() == '-' && pattern_[pos_ + 1] != ']') {
                ++pos_;
                const int high = bracket_member(set);
                if (high < 0 || high < low) throw PatternError{"invalid range"};
                for (int c = low; c <= high; ++c) set.set(c);
            } else {
                set.set(low);
            }
        }
        ++pos_;
        if (negate) set.flip();
        return set_node(set);
    }

    std::string_view pattern_;
    std::vector<CharSet> &sets_;
    std::size_t pos_ = 0;
    std::size_t groups_ = 0;
};

class Emitter {
public:
    explicit Emitter(std::vector<RegexInstruction> &program) : program_(program) {}

    void emit(const Node &node) {
        switch (node.kind) {
        case Node::Kind::Char: add({RegexOp::Char, node.ch, 0, 0}); break;
        case Node::Kind::Set: add({RegexOp::Set, 0, node.set, 0}); break;
        case Node::Kind::Any: add({RegexOp::Any}); break;
        case Node::Kind::TextStart: add({RegexOp::TextStart}); break;
        case Node::Kind::TextEnd: add({RegexOp::TextEnd}); break;
        case Node::Kind::WordBoundary: add({RegexOp::WordBoundary}); break;
        case Node::Kind::NotWordBoundary: add({RegexOp::NotWordBoundary}); break;
        case Node::Kind::Balanced: add({RegexOp::Balanced, node.ch, node.close, 0}); break;
        case Node::Kind::Group: emit_group(node); break;
        case Node::Kind::Concat:
            for (const Node &child : node.children) emit(child);
            break;
        case Node::Kind::Alternation: emit_alternation(node); break;
        case Node::Kind::Repeat: emit_repeat(node); break;
        }
    }

    int add(RegexInstruction instruction) {
        if (program_.size() >= kMaxProgramSize) throw PatternError{"pattern too large"};
        program_.push_back(instruction);
        return static_cast<int>(program_.size()) - 1;
    }

    int next() const { return static_cast<int>(program_.size()); }

private:
    void emit_group(const Node &node) {
        if (node.capture < 0) {
            emit(node.children.front());
            return;
        }
        add({RegexOp::Save, 0, node.capture * 2, 0});
        emit(node.children.front());
        add({RegexOp::Save, 0, node.capture * 2 + 1, 0});
    }

    void emit_alternation(const Node &node) {
        std::vector<int> exits;
        const std::size_t last = node.children.size() - 1;
        for (std::size_t i = 0; i < last; ++i) {
            const int split = add({RegexOp::Split});
            program_[split].a = next();
            emit(node.children[i]);
            exits.push_back(add({RegexOp::Jump}));
            program_[split].b = next();
        }
        emit(node.children[last]);
        for (int exit : exits) program_[exit].a = next();
    }

    void emit_repeat(const Node &node) {
        const Node &body = node.children.front();
        if (node.max == -1) {
            emit_unbounded(body, node.min);
            return;
        }
        for (int i = 0; i < node.min; ++i) emit(body);
        std::vector<int> skips;
        for (int i = node.min; i < node.max; ++i) {
            const int split = add({RegexOp::Split});
            program_[split].a = next();
            skips.push_back(split);
            emit(body);
        }
        for (int split : skips) program_[split].b = next();
    }

    void emit_unbounded(const Node &body, int min) {
        if (min == 0) {
            const int loop = add({RegexOp::Split});
            program_[loop].a = next();
            emit(body);
            add({RegexOp::Jump, 0, loop, 0});
            program_[loop].b = next();
            return;
        }
        for (int i = 0; i + 1 < min; ++i) emit(body);
        const int start = next();
        emit(body);
        const int split = add({RegexOp::Split, 0, start, 0});
        program_[split].b = next();
    }

    std::vector<RegexInstruction> &program_;
};

}  // namespace

class RegexCompiler {
public:
    static std::unique_ptr<Regex> compile(std::string_view pattern, std::string &error) {
        std::unique_ptr<Regex> regex(new Regex());
        try {
            Parser parser(pattern, regex->sets_);
            const Node root = parser.parse();
            regex->group_count_ = parser.groups() + 1;
            Emitter emitter(regex->program_);
            emitter.add({RegexOp::Save, 0, 0, 0});
            emitter.emit(root);
            emitter.add({RegexOp::Save, 0, 1, 0});
            emitter.add({RegexOp::Match});
        } catch (const PatternError &e) {
            error = e.message;
            return nullptr;
        } catch (const std::bad_alloc &) {
            error = "out of memory";
            return nullptr;
        }
        return regex;
    }
};

std::unique_ptr<Regex> Regex::compile(std::string_view pattern, std::string &error) {
    return RegexCompiler::compile(pattern, error);
}

}  // namespace acorn::stdlib
