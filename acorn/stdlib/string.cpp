#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>

#include "regexp_class.h"
#include "binding.h"
#include "sqstdstring.h"

namespace acorn::stdlib {

namespace {

void push_view(HSQUIRRELVM v, std::string_view text) {
    sq_pushstring(v, text.data(), static_cast<SQInteger>(text.size()));
}

bool is_space(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::string_view strip_left(std::string_view text) {
    while (!text.empty() && is_space(text.front())) text.remove_prefix(1);
    return text;
}

std::string_view strip_right(std::string_view text) {
    while (!text.empty() && is_space(text.back())) text.remove_suffix(1);
    return text;
}

SQInteger string_format(HSQUIRRELVM v) {
    SQChar *text = nullptr;
    SQInteger size = 0;
    if (SQ_FAILED(sqstd_format(v, 2, &size, &text))) return SQ_ERROR;
    sq_pushstring(v, text, size);
    return 1;
}

SQInteger string_strip(HSQUIRRELVM v) {
    push_view(v, strip_right(strip_left(string_argument(v, 2))));
    return 1;
}

SQInteger string_lstrip(HSQUIRRELVM v) {
    push_view(v, strip_left(string_argument(v, 2)));
    return 1;
}

SQInteger string_rstrip(HSQUIRRELVM v) {
    push_view(v, strip_right(string_argument(v, 2)));
    return 1;
}

// A trailing empty piece is never kept, so "a," gives one piece.
SQInteger string_split(HSQUIRRELVM v) {
    const std::string_view text = string_argument(v, 2);
    const std::string_view separators = string_argument(v, 3);
    if (separators.empty()) return sq_throwerror(v, "empty separators string");
    SQBool skip_empty = SQFalse;
    if (sq_gettop(v) >= 4) sq_getbool(v, 4, &skip_empty);
    sq_newarray(v, 0);
    std::size_t piece_start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const bool at_end = i == text.size();
        if (!at_end && separators.find(text[i]) == std::string_view::npos) continue;
        const std::string_view piece = text.substr(piece_start, i - piece_start);
        if (!piece.empty() || (!at_end && !skip_empty)) {
            push_view(v, piece);
            sq_arrayappend(v, -2);
        }
        piece_start = i + 1;
    }
    return 1;
}

void append_escaped(std::string &out, unsigned char c) {
    switch (c) {
    case '"': out += "\\\""; return;
    case '\'': out += "\\'"; return;
    case '\\': out += "\\\\"; return;
    default: break;
    }
    if (c >= 0x20 && c < 0x7f) {
        out += static_cast<char>(c);
        return;
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02x", c);
    out += hex;
}

std::size_t escaped_size(unsigned char c) {
    if (c == '"' || c == '\'' || c == '\\') return 2;
    return c >= 0x20 && c < 0x7f ? 1 : 4;
}

SQInteger string_escape(HSQUIRRELVM v) {
    const std::string_view text = string_argument(v, 2);
    std::size_t size = 0;
    for (char c : text) size += escaped_size(static_cast<unsigned char>(c));
    if (size > ACORN_MAX_STRING_LENGTH) return sq_throwerror(v, "string too long");
    std::string out;
    out.reserve(size);
    for (char c : text) append_escaped(out, static_cast<unsigned char>(c));
    push_view(v, out);
    return 1;
}

SQInteger string_startswith(HSQUIRRELVM v) {
    sq_pushbool(v, string_argument(v, 2).starts_with(string_argument(v, 3)) ? SQTrue : SQFalse);
    return 1;
}

SQInteger string_endswith(HSQUIRRELVM v) {
    sq_pushbool(v, string_argument(v, 2).ends_with(string_argument(v, 3)) ? SQTrue : SQFalse);
    return 1;
}

const SQRegFunction kStringFunctions[] = {
    {"format", string_format, -2, ".s"},
    {"strip", string_strip, 2, ".s"},
    {"lstrip", string_lstrip, 2, ".s"},
    {"rstrip", string_rstrip, 2, ".s"},
    {"split", string_split, -3, ".ssb"},
    {"escape", string_escape, 2, ".s"},
    {"startswith", string_startswith, 3, ".ss"},
    {"endswith", string_endswith, 3, ".ss"},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

}  // namespace acorn::stdlib

extern "C" SQRESULT sqstd_register_stringlib(HSQUIRRELVM v) {
    using namespace acorn::stdlib;
    SQInteger target = 0;
    if (SQ_FAILED(registration_target(v, target))) return SQ_ERROR;
    add_functions(v, kStringFunctions);
    return register_regexp_class(v, target);
}
