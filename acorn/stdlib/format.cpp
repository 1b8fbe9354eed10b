#include "format.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "sqstdstring.h"

namespace acorn::stdlib {

namespace {

struct Directive {
    std::string flags;
    int width = -1;
    int precision = -1;
    char conversion = 0;
};

class FormatError {
public:
    explicit FormatError(const char *message) : message(message) {}
    const char *message;
};

int parse_field(std::string_view format, std::size_t &pos, const char *too_long) {
    int value = 0;
    while (pos < format.size() && format[pos] >= '0' && format[pos] <= '9') {
        value = value * 10 + (format[pos++] - '0');
        if (value > kMaxFormatField) throw FormatError(too_long);
    }
    return value;
}

// Parses the conversion after a '%' at format[pos - 1]; leaves pos after it.
Directive parse_directive(std::string_view format, std::size_t &pos) {
    Directive directive;
    while (pos < format.size() && std::strchr("-+ #0", format[pos]) != nullptr && format[pos] != '\0') {
        directive.flags += format[pos++];
    }
    if (pos < format.size() && format[pos] >= '0' && format[pos] <= '9') {
        directive.width = parse_field(format, pos, "width format too long");
    }
    if (pos < format.size() && format[pos] == '.') {
        ++pos;
        directive.precision = parse_field(format, pos, "precision format too long");
    }
    if (pos >= format.size()) throw FormatError("invalid format");
    directive.conversion = format[pos++];
    return directive;
}

std::string c_format(const Directive &directive, const char *length) {
    std::string pattern(1, '%');
    pattern += directive.flags;
    if (directive.width >= 0) pattern += std::to_string(directive.width);
    if (directive.precision >= 0) {
        pattern += '.';
        pattern += std::to_string(directive.precision);
    }
    pattern += length;
    pattern += directive.conversion;
    return pattern;
}

// Most fields fit the stack buffer, so the C library formats them once;
// only wider ones are measured and formatted again on the heap.
template <typename Value>
void append_printf(std::string &out, const std::string &pattern, Value value) {
    char small[128];
    const int needed = std::snprintf(small, sizeof small, pattern.c_str(), value);
    if (needed <= 0) return;
    if (static_cast<std::size_t>(needed) < sizeof small) {
        out.append(small, static_cast<std::size_t>(needed));
        return;
    }
    std::vector<char> buffer(static_cast<std::size_t>(needed) + 1);
    std::snprintf(buffer.data(), buffer.size(), pattern.c_str(), value);
    out.append(buffer.data(), static_cast<std::size_t>(needed));
}

// Strings may hold zero bytes, which the C library would stop at.
void append_string(std::string &out, const Directive &directive, std::string_view text) {
    if (directive.precision >= 0 && static_cast<std::size_t>(directive.precision) < text.size()) {
        text = text.substr(0, static_cast<std::size_t>(directive.precision));
    }
    const std::size_t width = directive.width > 0 ? static_cast<std::size_t>(directive.width) : 0;
    const std::size_t padding = width > text.size() ? width - text.size() : 0;
    const bool left = directive.flags.find('-') != std::string::npos;
    if (!left) out.append(padding, ' ');
    out.append(text);
    if (left) out.append(padding, ' ');
}

// The integer conversions games use most ("%d", "%05d", "%-4x"), written
// without the C library: the same text printf gives, at a fraction of its
// cost. Anything else returns false and goes to printf.
bool append_plain_integer(std::string &out, const Directive &directive, unsigned long long magnitude,
                          bool negative) {
    if (directive.precision >= 0 || directive.flags.find_first_not_of("-0") != std::string::npos) return false;
    int base = 10;
    switch (directive.conversion) {
    case 'd':
    case 'i':
    case 'u': break;
    case 'x':
    case 'X': base = 16; break;
    case 'o': base = 8; break;
    default: return false;
    }
    char digits[24];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, magnitude, base);
    if (ec != std::errc()) return false;
    if (directive.conversion == 'X') {
        for (char *c = digits; c != end; ++c) *c = static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
    }
    const std::size_t length = static_cast<std::size_t>(end - digits) + (negative ? 1 : 0);
    const std::size_t width = directive.width > 0 ? static_cast<std::size_t>(directive.width) : 0;
    const std::size_t padding = width > length ? width - length : 0;
    const bool left = directive.flags.find('-') != std::string::npos;
    const bool zeros = !left && directive.flags.find('0') != std::string::npos;
    if (!left && !zeros) out.append(padding, ' ');
    if (negative) out += '-';
    if (zeros) out.append(padding, '0');
    out.append(digits, end);
    if (left) out.append(padding, ' ');
    return true;
}

class Formatter {
public:
    Formatter(const FormatArguments &args, std::string &out) : args_(args), out_(out) {}

    void convert(const Directive &directive) {
        switch (directive.conversion) {
        case 'd':
        case 'i': {
            const long long value = next_integer();
            const unsigned long long magnitude =
                value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
            if (!append_plain_integer(out_, directive, magnitude, value < 0)) {
                append_printf(out_, c_format(directive, "ll"), value);
            }
            break;
        }
        case 'o':
        case 'u':
        case 'x':
        case 'X': {
            const auto value = static_cast<unsigned long long>(static_cast<SQUnsignedInteger>(next_integer()));
            if (!append_plain_integer(out_, directive, value, false)) {
                append_printf(out_, c_format(directive, "ll"), value);
            }
            break;
        }
        case 'c': append_printf(out_, c_format(directive, ""), static_cast<int>(next_integer())); break;
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G': append_printf(out_, c_format(directive, ""), static_cast<double>(next_float())); break;
        case 's': append_string(out_, directive, next_string()); break;
        default: throw FormatError("invalid format");
        }
    }

    void require_argument() const {
        if (next_ >= args_.count()) throw FormatError("not enough parameters for the given format string");
    }

private:
    std::size_t take() {
        if (next_ >= args_.count()) throw FormatError("not enough parameters for the given format string");
        return next_++;
    }

    SQInteger next_integer() {
        SQInteger value = 0;
        if (!args_.integer(take(), value)) throw FormatError("integer expected for the specified format");
        return value;
    }

    SQFloat next_float() {
        SQFloat value = 0;
        if (!args_.floating(take(), value)) throw FormatError("float expected for the specified format");
        return value;
    }

    std::string_view next_string() {
        std::string_view value;
        if (!args_.string(take(), value)) throw FormatError("string expected for the specified format");
        return value;
    }

    const FormatArguments &args_;
    std::string &out_;
    std::size_t next_ = 0;
};

class StackArguments final : public FormatArguments {
public:
    StackArguments(HSQUIRRELVM v, SQInteger first) : v_(v), first_(first) {}

    std::size_t count() const override {
        const SQInteger top = sq_gettop(v_);
        return top >= first_ ? static_cast<std::size_t>(top - first_ + 1) : 0;
    }
    // A bool is the integer 0 or 1 here, as the reference library reads it.
    bool integer(std::size_t index, SQInteger &out) const override {
        SQBool flag = SQFalse;
        if (SQ_SUCCEEDED(sq_getbool(v_, at(index), &flag))) {
            out = flag ? 1 : 0;
            return true;
        }
        return SQ_SUCCEEDED(sq_getinteger(v_, at(index), &out));
    }
    bool floating(std::size_t index, SQFloat &out) const override {
        return SQ_SUCCEEDED(sq_getfloat(v_, at(index), &out));
    }
    bool string(std::size_t index, std::string_view &out) const override {
        const SQChar *text = nullptr;
        SQInteger size = 0;
        if (sq_gettype(v_, at(index)) != OT_STRING || SQ_FAILED(sq_getstringandsize(v_, at(index), &text, &size))) {
            return false;
        }
        out = std::string_view(text, static_cast<std::size_t>(size));
        return true;
    }

private:
    SQInteger at(std::size_t index) const { return first_ + static_cast<SQInteger>(index); }

    HSQUIRRELVM v_;
    SQInteger first_;
};

}  // namespace

// Checked as the result grows.
constexpr std::size_t kMaxResultLength = ACORN_MAX_STRING_LENGTH;

bool format_text(std::string_view format, const FormatArguments &args, std::string &out, std::string &error) {
    out.clear();
    Formatter formatter(args, out);
    try {
        for (std::size_t pos = 0; pos < format.size();) {
            const char c = format[pos++];
            if (c != '%') {
                out += c;
            } else if (pos < format.size() && format[pos] == '%') {
                out += '%';
                ++pos;
            } else {
                formatter.require_argument();  // checked before the conversion is parsed, as the reference does
                formatter.convert(parse_directive(format, pos));
            }
            if (out.size() > kMaxResultLength) throw FormatError("string too long");
        }
    } catch (const FormatError &e) {
        error = e.message;
        return false;
    } catch (const std::bad_alloc &) {
        error = "out of memory";
        return false;
    }
    return true;
}

}  // namespace acorn::stdlib

extern "C" SQRESULT sqstd_format(HSQUIRRELVM v, SQInteger nformatstringidx, SQInteger *outlen, SQChar **output) {
    const SQChar *format = nullptr;
    SQInteger format_size = 0;
    if (SQ_FAILED(sq_getstringandsize(v, nformatstringidx, &format, &format_size))) {
        return sq_throwerror(v, "format string expected");
    }
    const acorn::stdlib::StackArguments args(v, nformatstringidx + 1);
    std::string text;
    std::string error;
    if (!acorn::stdlib::format_text(std::string_view(format, static_cast<std::size_t>(format_size)), args, text, error)) {
        return sq_throwerror(v, error.c_str());
    }
    SQChar *buffer = sq_getscratchpad(v, static_cast<SQInteger>(text.size() + 1));
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    if (outlen != nullptr) *outlen = static_cast<SQInteger>(text.size());
    if (output != nullptr) *output = buffer;
    return SQ_OK;
}
