// Built-in methods of strings. Strings are immutable byte strings: every
// method that "changes" one returns a new string.
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "abaselib.h"
#include "adelegate_common.h"

static std::string_view self_bytes(HSQUIRRELVM v) {
    const SQString *s = sq_str(sq_arg(v, 1));
    return {s->c_str(), static_cast<size_t>(s->len)};
}

static SQInteger string_len(HSQUIRRELVM v) {
    sq_pushinteger(v, sq_str(sq_arg(v, 1))->len);
    return 1;
}

// Text with a fraction, or with an exponent letter that is not a digit in
// `base`, converts through the float parser, so that "2.5".tointeger() gives
// 2 and "1e3".tointeger() 1000.
static bool looks_like_float(std::string_view s, SQInteger base) {
    const bool e_is_digit = base > 14;
    return s.find('.') != std::string_view::npos || (!e_is_digit && s.find_first_of("eE") != std::string_view::npos);
}

static bool parse_float(const char *s, SQFloat &out) {
    char *end = nullptr;
    const double d = std::strtod(s, &end);
    if (end == s) return false;
    out = static_cast<SQFloat>(d);
    return true;
}

// Base 0 reads a C prefix (0x, 0); a base outside 2..36 reads nothing and
// gives 0, as the reference's conversion does.
static bool parse_integer(const char *s, SQInteger base, SQInteger &out) {
    if (base != 0 && (base < 2 || base > 36)) {
        out = 0;
        return true;
    }
    char *end = nullptr;
    const long long n = std::strtoll(s, &end, static_cast<int>(base));
    if (end == s) return false;
    out = static_cast<SQInteger>(n);
    return true;
}

static SQInteger string_tointeger(HSQUIRRELVM v) {
    const std::string_view bytes = self_bytes(v);
    const SQInteger base = sq_gettop(v) >= 2 ? sq_arg_integer(v, 2) : 10;
    SQInteger n = 0;
    SQFloat f = 0;
    if (looks_like_float(bytes, base) && parse_float(bytes.data(), f)) {
        n = sq_float_to_integer(f);
    } else if (!parse_integer(bytes.data(), base, n)) {
        return sq_throwerror(v, "cannot convert the string");
    }
    sq_pushinteger(v, n);
    return 1;
}

// The same rule as tointeger: only text with a fraction or an exponent goes
// through the float parser, so "0x1f".tofloat() is 0 as in the reference.
static SQInteger string_tofloat(HSQUIRRELVM v) {
    const std::string_view bytes = self_bytes(v);
    SQFloat f = 0;
    SQInteger n = 0;
    if (looks_like_float(bytes, 10)) {
        if (!parse_float(bytes.data(), f)) return sq_throwerror(v, "cannot convert the string");
    } else if (parse_integer(bytes.data(), 10, n)) {
        f = static_cast<SQFloat>(n);
    } else {
        return sq_throwerror(v, "cannot convert the string");
    }
    sq_pushfloat(v, f);
    return 1;
}

static SQInteger string_tostring(HSQUIRRELVM v) { return sq_return(v, sq_arg(v, 1)); }

static SQInteger string_slice(HSQUIRRELVM v) {
    const std::string_view bytes = self_bytes(v);
    SQInteger start = 0, end = 0;
    if (!sq_resolve_range(v, 2, static_cast<SQInteger>(bytes.size()), start, end)) return SQ_ERROR;
    sq_pushstring(v, bytes.data() + start, end - start);
    return 1;
}

static SQInteger string_find(HSQUIRRELVM v) {
    const std::string_view bytes = self_bytes(v);
    const SQString *needle = sq_str(sq_arg(v, 2));
    const SQInteger start = sq_gettop(v) >= 3 ? sq_arg_integer(v, 3) : 0;
    if (start < 0 || start >= static_cast<SQInteger>(bytes.size())) {
        sq_pushnull(v);
        return 1;
    }
    const size_t at = bytes.find(std::string_view(needle->c_str(), static_cast<size_t>(needle->len)),
                                 static_cast<size_t>(start));
    if (at == std::string_view::npos) {
        sq_pushnull(v);
    } else {
        sq_pushinteger(v, static_cast<SQInteger>(at));
    }
    return 1;
}

// Changes the case of the bytes in [start, end) (the whole string without
// arguments); bytes outside ASCII letters pass through.
static SQInteger change_case(HSQUIRRELVM v, char (*convert)(char)) {
    const std::string_view bytes = self_bytes(v);
    SQInteger start = 0, end = 0;
    if (!sq_resolve_range(v, 2, static_cast<SQInteger>(bytes.size()), start, end)) return SQ_ERROR;
    std::string out(bytes);
    for (SQInteger i = start; i < end; ++i) out[static_cast<size_t>(i)] = convert(out[static_cast<size_t>(i)]);
    sq_pushstring(v, out.data(), static_cast<SQInteger>(out.size()));
    return 1;
}

static char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
static char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

static SQInteger string_tolower(HSQUIRRELVM v) { return change_case(v, ascii_lower); }
static SQInteger string_toupper(HSQUIRRELVM v) { return change_case(v, ascii_upper); }

const SQRegFunction sq_string_delegate_funcs[] = {
    {"len", string_len, 1, "s"},
    {"tointeger", string_tointeger, -1, "sn"},
    {"tofloat", string_tofloat, 1, "s"},
    {"tostring", string_tostring, 1, "s"},
    {"slice", string_slice, -2, "snn"},
    {"find", string_find, -2, "ssn"},
    {"tolower", string_tolower, -1, "snn"},
    {"toupper", string_toupper, -1, "snn"},
    {"weakref", sq_delegate_weakref, 1, nullptr},
    {nullptr, nullptr, 0, nullptr},
};
