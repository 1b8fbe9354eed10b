// The regular-expression engine, through the sqstd_rex_* functions a host
// uses and the engine class behind the regexp script class.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "../stdlib/regexp.h"
#include "sqstdstring.h"

namespace {

using acorn::stdlib::Regex;
using acorn::stdlib::RegexOutcome;

class Rex {
public:
    explicit Rex(const char *pattern) : rex_(sqstd_rex_compile(pattern, &error_)) {}
    ~Rex() { sqstd_rex_free(rex_); }
    Rex(const Rex &) = delete;
    Rex &operator=(const Rex &) = delete;

    bool compiled() const { return rex_ != nullptr; }
    std::string error() const { return error_ == nullptr ? "" : error_; }
    bool matches(const char *text) { return sqstd_rex_match(rex_, text) != SQFalse; }

    // The matched text, or "<none>" when the search fails.
    std::string search(const char *text) {
        const SQChar *begin = nullptr;
        const SQChar *end = nullptr;
        if (!sqstd_rex_search(rex_, text, &begin, &end)) return "<none>";
        return std::string(begin, end);
    }

    std::string group(SQInteger n) {
        SQRexMatch match;
        if (!sqstd_rex_getsubexp(rex_, n, &match)) return "<bad index>";
        if (match.begin == nullptr) return "<unset>";
        return std::string(match.begin, static_cast<std::size_t>(match.len));
    }

    SQInteger groups() { return sqstd_rex_getsubexpcount(rex_); }

    // Where the search found its match, or -1.
    long offset(const char *text) {
        const SQChar *begin = nullptr;
        if (!sqstd_rex_search(rex_, text, &begin, nullptr)) return -1;
        return static_cast<long>(begin - text);
    }

private:
    const SQChar *error_ = nullptr;
    SQRex *rex_;
};

TEST(RegexpLiterals, MatchWholeTextOnly) {
    Rex rex("abc");
    ASSERT_TRUE(rex.compiled());
    EXPECT_TRUE(rex.matches("abc"));
    EXPECT_FALSE(rex.matches("abcd"));
    EXPECT_FALSE(rex.matches("xabc"));
    EXPECT_FALSE(rex.matches(""));
    EXPECT_EQ(rex.search("xxabcxx"), "abc");
    EXPECT_EQ(rex.search("ab"), "<none>");
}

TEST(RegexpLiterals, EmptyPatternMatchesEmptyText) {
    Rex rex("");
    ASSERT_TRUE(rex.compiled());
    EXPECT_TRUE(rex.matches(""));
    EXPECT_FALSE(rex.matches("a"));
    EXPECT_EQ(rex.search("abc"), "");
}

TEST(RegexpClasses, DotAndBrackets) {
    Rex dot("a.c");
    EXPECT_TRUE(dot.matches("abc"));
    EXPECT_TRUE(dot.matches("a\nc"));
    EXPECT_FALSE(dot.matches("ac"));

    Rex range("[a-cx]+");
    EXPECT_EQ(range.search("zzcabxbq"), "cabxb");

    Rex negated("[^0-9]+");
    EXPECT_EQ(negated.search("123abc456"), "abc");

    Rex edges("[-a]+");
    EXPECT_EQ(edges.search("x-a-ay"), "-a-a");
    Rex trailing_dash("[a-]+");
    EXPECT_EQ(trailing_dash.search("x-a-ay"), "-a-a");
    // A ']' right after '[' closes an empty class, which is an error.
    EXPECT_EQ(Rex("[]a]+").error(), "empty class");
    Rex escaped("[\\]\\-\\\\]+");
    EXPECT_EQ(escaped.search("a]-\\b"), "]-\\");
}

TEST(RegexpClasses, Escapes) {
    EXPECT_EQ(Rex("\\d+").search("ab 042 x"), "042");
    EXPECT_EQ(Rex("\\D+").search("12ab34"), "ab");
    EXPECT_EQ(Rex("\\w+").search("  hello42 "), "hello42");
    EXPECT_EQ(Rex("\\W+").search("ab, cd"), ", ");
    EXPECT_EQ(Rex("\\s+").search("a \t\nb"), " \t\n");
    EXPECT_EQ(Rex("\\S+").search("  xy  "), "xy");
    EXPECT_EQ(Rex("\\x+").search("zz0fAgq"), "0fA");
    EXPECT_EQ(Rex("\\X+").search("0fzzA"), "zz");
    EXPECT_EQ(Rex("\\l+").search("ABcdE"), "cd");
    EXPECT_EQ(Rex("\\u+").search("abCDe"), "CD");
    EXPECT_EQ(Rex("\\a+").search("12ab3"), "ab");
    EXPECT_EQ(Rex("\\A+").search("ab12c"), "12");
    EXPECT_EQ(Rex("\\p+").search("ab!?c"), "!?");
    EXPECT_EQ(Rex("\\P+").search("!!ab?"), "ab");
    EXPECT_EQ(Rex("\\c").search("a\x01z"), "\x01");
    EXPECT_EQ(Rex("\\C+").search("\x01zz\x02"), "zz");
    EXPECT_EQ(Rex("\\t\\n\\r\\f\\v").search("x\t\n\r\f\vy"), "\t\n\r\f\v");
    EXPECT_EQ(Rex("\\.\\*\\(\\)").search("a.*()b"), ".*()");
    EXPECT_EQ(Rex("[\\d\\s]+").search("ab1 2 3cd"), "1 2 3");
}

TEST(RegexpRepetition, Quantifiers) {
    EXPECT_EQ(Rex("ab*").search("xabbbbc"), "abbbb");
    EXPECT_EQ(Rex("ab*").search("xac"), "a");
    EXPECT_EQ(Rex("ab+").search("xac abbc"), "abb");
    EXPECT_EQ(Rex("colou?r").search("my color"), "color");
    EXPECT_EQ(Rex("colou?r").search("my colour"), "colour");
    EXPECT_EQ(Rex("a{3}").search("aaaaa"), "aaa");
    EXPECT_EQ(Rex("a{2,}").search("baaaab"), "aaaa");
    EXPECT_EQ(Rex("a{2,3}").search("baaaab"), "aaa");
    EXPECT_EQ(Rex("a{0}b").search("aab"), "b");
    EXPECT_FALSE(Rex("a{2,3}").matches("a"));
    EXPECT_FALSE(Rex("a{2,3}").matches("aaaa"));
    EXPECT_TRUE(Rex("(ab){2}").matches("abab"));
}

TEST(RegexpRepetition, GreedyButBacktracksIntoTheRest) {
    EXPECT_TRUE(Rex("a.*b").matches("axxbyyb"));
    EXPECT_EQ(Rex("a.*b").search("axxbyybzz"), "axxbyyb");
    EXPECT_EQ(Rex("\\d+5").search("12345"), "12345");
    EXPECT_TRUE(Rex("(a|ab)c").matches("abc"));
}

TEST(RegexpAnchors, StartEndAndWordBoundaries) {
    EXPECT_EQ(Rex("^ab").offset("abab"), 0);
    EXPECT_EQ(Rex("^b").offset("ab"), -1);
    EXPECT_EQ(Rex("b$").offset("abab"), 3);
    EXPECT_EQ(Rex("a$").offset("ab"), -1);
    EXPECT_EQ(Rex("\\bcat\\b").offset("concat cat"), 7);
    EXPECT_EQ(Rex("\\bcat").offset("cat"), 0);
    EXPECT_EQ(Rex("\\Bcat").offset("cat concat"), 7);
    EXPECT_EQ(Rex("\\Bcat").offset("cat"), -1);
}

TEST(RegexpAlternation, LeftmostThenFirstAlternative) {
    EXPECT_EQ(Rex("cat|dog").search("hotdog cat"), "dog");
    EXPECT_EQ(Rex("a|ab").search("ab"), "a");
    EXPECT_TRUE(Rex("a|ab").matches("ab"));
    EXPECT_TRUE(Rex("x(?:a|b|)y").matches("xy"));
    EXPECT_EQ(Rex("|a").search("a"), "");
}

TEST(RegexpCaptures, GroupsReportTheirText) {
    Rex rex("(\\w+)@(\\w+)\\.(?:com|org)");
    ASSERT_TRUE(rex.compiled());
    EXPECT_EQ(rex.groups(), 3);
    EXPECT_EQ(rex.search("mail: joe@site.org!"), "joe@site.org");
    EXPECT_EQ(rex.group(0), "joe@site.org");
    EXPECT_EQ(rex.group(1), "joe");
    EXPECT_EQ(rex.group(2), "site");
    EXPECT_EQ(rex.group(3), "<bad index>");
    EXPECT_EQ(rex.group(-1), "<bad index>");
}

TEST(RegexpCaptures, UnusedGroupIsUnsetAndRepeatedGroupKeepsLastPass) {
    Rex optional("(a)|(b)");
    EXPECT_EQ(optional.search("b"), "b");
    EXPECT_EQ(optional.group(1), "<unset>");
    EXPECT_EQ(optional.group(2), "b");

    Rex repeated("(\\d)+");
    EXPECT_EQ(repeated.search("x123y"), "123");
    EXPECT_EQ(repeated.group(1), "3");
}

TEST(RegexpCaptures, FailedSearchClearsPreviousGroups) {
    Rex rex("(a)");
    EXPECT_EQ(rex.search("a"), "a");
    EXPECT_EQ(rex.search("b"), "<none>");
    EXPECT_EQ(rex.group(1), "<unset>");
}

TEST(RegexpSearchRange, StopsAtTheGivenEnd) {
    SQRex *rex = sqstd_rex_compile("b+", nullptr);
    ASSERT_NE(rex, nullptr);
    const char *text = "aabbbcc";
    const SQChar *begin = nullptr;
    const SQChar *end = nullptr;
    ASSERT_TRUE(sqstd_rex_searchrange(rex, text, text + 3, &begin, &end));
    EXPECT_EQ(begin - text, 2);
    EXPECT_EQ(end - text, 3);
    EXPECT_FALSE(sqstd_rex_searchrange(rex, text, text + 2, &begin, &end));
    EXPECT_FALSE(sqstd_rex_searchrange(rex, text + 3, text, &begin, &end));
    sqstd_rex_free(rex);
}

TEST(RegexpErrors, InvalidPatternsAreRejectedWithAReason) {
    for (const char *pattern : {"(ab", "ab)", "[ab", "[b-a]", "*a", "a|+", "a{", "a{x}", "a{3,2}", "a{2",
                                "a\\", "[a\\", "a{1001}", "(?:"}) {
        Rex rex(pattern);
        EXPECT_FALSE(rex.compiled()) << pattern;
        EXPECT_FALSE(rex.error().empty()) << pattern;
    }
}

TEST(RegexpErrors, NullArgumentsAreHarmless) {
    const SQChar *error = nullptr;
    EXPECT_EQ(sqstd_rex_compile(nullptr, &error), nullptr);
    EXPECT_NE(error, nullptr);
    EXPECT_FALSE(sqstd_rex_match(nullptr, "a"));
    EXPECT_EQ(sqstd_rex_getsubexpcount(nullptr), 0);
    sqstd_rex_free(nullptr);
}

TEST(RegexpHostilePatterns, DeepNestingIsRefusedNotRecursed) {
    const std::string deep = std::string(100000, '(') + "a" + std::string(100000, ')');
    Rex rex(deep.c_str());
    EXPECT_FALSE(rex.compiled());
    const std::string stacked = "a" + std::string(100000, '*');
    EXPECT_FALSE(Rex(stacked.c_str()).compiled());
}

TEST(RegexpHostilePatterns, ExplodingRepetitionIsRefused) {
    Rex rex("((a{1000}){1000}){1000}");
    EXPECT_FALSE(rex.compiled());
    EXPECT_FALSE(rex.error().empty());
}

TEST(RegexpHostilePatterns, CatastrophicBacktrackingShapesRunInLinearTime) {
    const std::string text = std::string(20000, 'a');
    EXPECT_FALSE(Rex("(a*)*b").matches(text.c_str()));
    EXPECT_FALSE(Rex("(a|aa)+c").matches(text.c_str()));
    EXPECT_TRUE(Rex("(a*)*").matches(text.c_str()));
    EXPECT_EQ(Rex("(a+)+$").search(text.c_str()).size(), text.size());
}

TEST(RegexpHostilePatterns, StepBudgetEndsHugeWork) {
    std::string error;
    std::string pattern;
    for (int i = 0; i < 40; ++i) pattern += "(?:a|b|c|d)*";
    pattern += "z";
    std::unique_ptr<Regex> regex = Regex::compile(pattern, error);
    ASSERT_TRUE(regex) << error;
    const std::string text(4'000'000, 'a');
    EXPECT_EQ(regex->search(text), RegexOutcome::TooComplex);
    EXPECT_EQ(regex->group(0).begin, -1);
}

TEST(RegexpEngine, TextWithZeroBytesIsSearchedWhole) {
    std::string error;
    std::unique_ptr<Regex> regex = Regex::compile("b.c", error);
    ASSERT_TRUE(regex);
    const std::string text("a\0b\0c", 5);
    ASSERT_EQ(regex->search(text), RegexOutcome::Matched);
    EXPECT_EQ(regex->group(0).begin, 2);
    EXPECT_EQ(regex->group(0).end, 5);
}

// Random patterns, valid or not, over the whole syntax: each compiles or is
// refused with a reason, and every search ends with spans inside the text.
TEST(RegexpRobustness, RandomPatternsNeverMisbehave) {
    const std::string pieces[] = {"a", "b", ".", "*", "+", "?", "{2}", "{1,3}", "{2,}", "(", ")", "(?:", "|", "[", "]",
                                  "^", "$", "-", "\\", "\\w", "\\d", "\\b", "\\B", "[^a]", "[a-c]", "{", "}", ","};
    std::mt19937 random(12345);
    int compiled = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string pattern;
        const int length = static_cast<int>(random() % 10);
        for (int i = 0; i < length; ++i) pattern += pieces[random() % std::size(pieces)];
        std::string error;
        std::unique_ptr<Regex> regex = Regex::compile(pattern, error);
        if (!regex) {
            EXPECT_FALSE(error.empty()) << pattern;
            continue;
        }
        ++compiled;
        std::string text;
        for (int i = static_cast<int>(random() % 12); i > 0; --i) text += "ab-c, 1"[random() % 7];
        const bool whole = regex->match_whole(text) == RegexOutcome::Matched;
        const RegexOutcome found = regex->search(text);
        ASSERT_NE(found, RegexOutcome::TooComplex) << pattern;
        if (whole) {
            EXPECT_EQ(found, RegexOutcome::Matched) << pattern << " on " << text;
        }
        if (found != RegexOutcome::Matched) continue;
        for (std::size_t g = 0; g < regex->group_count(); ++g) {
            const acorn::stdlib::RegexSpan span = regex->group(g);
            if (span.begin < 0) continue;
            EXPECT_LE(span.begin, span.end) << pattern;
            EXPECT_LE(span.end, static_cast<std::ptrdiff_t>(text.size())) << pattern;
        }
    }
    EXPECT_GT(compiled, 500);
}

}  // namespace
