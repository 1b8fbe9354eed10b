// printf-style formatting: conversions, flags, widths, precisions, and the
// errors for malformed formats and unsuitable arguments.
#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>
#include <variant>
#include <vector>

#include "../stdlib/format.h"

namespace {

using acorn::stdlib::format_text;
using acorn::stdlib::FormatArguments;

using Value = std::variant<SQInteger, SQFloat, std::string, bool>;

// Converts like the VM: numbers to either number type, strings only to strings.
class ListArguments final : public FormatArguments {
public:
    explicit ListArguments(std::vector<Value> values) : values_(std::move(values)) {}

    std::size_t count() const override { return values_.size(); }
    bool integer(std::size_t i, SQInteger &out) const override {
        if (const auto *n = std::get_if<SQInteger>(&values_[i])) return out = *n, true;
        if (const auto *f = std::get_if<SQFloat>(&values_[i])) return out = static_cast<SQInteger>(*f), true;
        return false;
    }
    bool floating(std::size_t i, SQFloat &out) const override {
        if (const auto *f = std::get_if<SQFloat>(&values_[i])) return out = *f, true;
        if (const auto *n = std::get_if<SQInteger>(&values_[i])) return out = static_cast<SQFloat>(*n), true;
        return false;
    }
    bool string(std::size_t i, std::string_view &out) const override {
        const auto *s = std::get_if<std::string>(&values_[i]);
        if (s == nullptr) return false;
        out = *s;
        return true;
    }

private:
    std::vector<Value> values_;
};

std::string formatted(const std::string &format, std::vector<Value> values = {}) {
    std::string out;
    std::string error;
    if (!format_text(format, ListArguments(std::move(values)), out, error)) return "error: " + error;
    return out;
}

TEST(FormatIntegers, ConversionsAndFlags) {
    EXPECT_EQ(formatted("%d", {SQInteger(42)}), "42");
    EXPECT_EQ(formatted("%i", {SQInteger(-7)}), "-7");
    EXPECT_EQ(formatted("%5d|%-5d|%05d", {SQInteger(42), SQInteger(42), SQInteger(42)}), "   42|42   |00042");
    EXPECT_EQ(formatted("%+d % d", {SQInteger(5), SQInteger(5)}), "+5  5");
    EXPECT_EQ(formatted("%.3d", {SQInteger(7)}), "007");
    EXPECT_EQ(formatted("%x %X %o", {SQInteger(255), SQInteger(255), SQInteger(8)}), "ff FF 10");
    EXPECT_EQ(formatted("%#x %#o", {SQInteger(255), SQInteger(8)}), "0xff 010");
    EXPECT_EQ(formatted("%c%c", {SQInteger('o'), SQInteger('k')}), "ok");
}

// Common integer conversions are written without the C library: they must
// give printf's text for every flag, width and sign it handles.
TEST(FormatIntegers, PlainConversionsMatchPrintf) {
    const SQInteger values[] = {0, 1, -1, 42, -42, 255, 1000000, -1000000,
                                std::numeric_limits<SQInteger>::max(), std::numeric_limits<SQInteger>::min()};
    const char *flags[] = {"", "0", "-", "-0", "0-", "00"};
    const char *widths[] = {"", "1", "5", "12"};
    for (const char conversion : std::string("diuxXo")) {
        for (const char *flag : flags) {
            for (const char *width : widths) {
                const std::string format = std::string("[%") + flag + width + conversion + "]";
                const std::string c_format = std::string("[%") + flag + width + "ll" + conversion + "]";
                for (const SQInteger value : values) {
                    char expected[64];
                    if (conversion == 'd' || conversion == 'i') {
                        std::snprintf(expected, sizeof expected, c_format.c_str(), static_cast<long long>(value));
                    } else {
                        std::snprintf(expected, sizeof expected, c_format.c_str(),
                                      static_cast<unsigned long long>(static_cast<SQUnsignedInteger>(value)));
                    }
                    EXPECT_EQ(formatted(format, {value}), expected) << format << " of " << value;
                }
            }
        }
    }
}

TEST(FormatIntegers, HexOfNegativeUsesTheIntegerWidth) {
    const std::string expected = sizeof(SQInteger) == 4 ? "ffffffff" : "ffffffffffffffff";
    EXPECT_EQ(formatted("%x", {SQInteger(-1)}), expected);
}

TEST(FormatIntegers, FloatArgumentIsTruncated) { EXPECT_EQ(formatted("%d", {SQFloat(3.9f)}), "3"); }

TEST(FormatFloats, ConversionsPrecisionAndWidth) {
    EXPECT_EQ(formatted("%f", {SQFloat(1.5f)}), "1.500000");
    EXPECT_EQ(formatted("%.2f", {SQFloat(3.14159f)}), "3.14");
    EXPECT_EQ(formatted("%8.3f|", {SQFloat(-2.5f)}), "  -2.500|");
    EXPECT_EQ(formatted("%-8.1f|", {SQFloat(2.25f)}), "2.2     |");
    EXPECT_EQ(formatted("%e", {SQFloat(1234.5f)}), "1.234500e+03");
    EXPECT_EQ(formatted("%E", {SQFloat(0.5f)}), "5.000000E-01");
    EXPECT_EQ(formatted("%g %g", {SQFloat(0.0001f), SQFloat(100000.0f)}), "0.0001 100000");
    EXPECT_EQ(formatted("%f", {SQInteger(2)}), "2.000000");
}

TEST(FormatStrings, WidthPrecisionAndZeroBytes) {
    EXPECT_EQ(formatted("[%s]", {std::string("abc")}), "[abc]");
    EXPECT_EQ(formatted("[%6s]", {std::string("abc")}), "[   abc]");
    EXPECT_EQ(formatted("[%-6s]", {std::string("abc")}), "[abc   ]");
    EXPECT_EQ(formatted("[%.2s]", {std::string("abc")}), "[ab]");
    EXPECT_EQ(formatted("[%2s]", {std::string("abcdef")}), "[abcdef]");
    EXPECT_EQ(formatted("%s", {std::string("a\0b", 3)}), std::string("a\0b", 3));
    EXPECT_EQ(formatted("%s%s", {std::string("con"), std::string("cat")}), "concat");
}

TEST(FormatText, PercentSignsAndPlainText) {
    EXPECT_EQ(formatted("100%%"), "100%");
    EXPECT_EQ(formatted("%%d"), "%d");
    EXPECT_EQ(formatted("no conversions"), "no conversions");
    EXPECT_EQ(formatted(""), "");
    EXPECT_EQ(formatted("%d%%", {SQInteger(5)}), "5%");
    EXPECT_EQ(formatted(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(FormatText, ExtraArgumentsAreIgnored) { EXPECT_EQ(formatted("%d", {SQInteger(1), SQInteger(2)}), "1"); }

TEST(FormatErrors, TooFewArguments) {
    EXPECT_EQ(formatted("%d %d", {SQInteger(1)}), "error: not enough parameters for the given format string");
    EXPECT_EQ(formatted("%s"), "error: not enough parameters for the given format string");
}

TEST(FormatErrors, WrongArgumentTypes) {
    EXPECT_EQ(formatted("%d", {std::string("x")}), "error: integer expected for the specified format");
    EXPECT_EQ(formatted("%f", {std::string("x")}), "error: float expected for the specified format");
    EXPECT_EQ(formatted("%s", {SQInteger(3)}), "error: string expected for the specified format");
    EXPECT_EQ(formatted("%c", {true}), "error: integer expected for the specified format");
}

TEST(FormatErrors, MalformedConversions) {
    EXPECT_EQ(formatted("%", {SQInteger(1)}), "error: invalid format");
    EXPECT_EQ(formatted("abc %5", {SQInteger(1)}), "error: invalid format");
    EXPECT_EQ(formatted("%q", {SQInteger(1)}), "error: invalid format");
    EXPECT_EQ(formatted("%ld", {SQInteger(1)}), "error: invalid format");
}

TEST(FormatLimits, LargeWidthsAreExactAndHugeOnesRefused) {
    const std::string wide = formatted("%1000d", {SQInteger(7)});
    ASSERT_EQ(wide.size(), 1000u);
    EXPECT_EQ(wide.back(), '7');
    EXPECT_EQ(wide.find_first_not_of(' '), 999u);
    EXPECT_EQ(formatted("%.500f", {SQFloat(1.0f)}).size(), 502u);
    EXPECT_EQ(formatted("%99999999999999999999d", {SQInteger(1)}), "error: width format too long");
    EXPECT_EQ(formatted("%.99999999999999999999f", {SQFloat(1.0f)}), "error: precision format too long");
    EXPECT_EQ(formatted("%65537s", {std::string("x")}), "error: width format too long");
    EXPECT_EQ(formatted("%65536s", {std::string("x")}).size(), 65536u);
}

}  // namespace
