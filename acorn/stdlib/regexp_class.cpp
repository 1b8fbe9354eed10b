#include "regexp_class.h"

#include <new>
#include <string>
#include <string_view>

#include "regexp.h"
#include "binding.h"

namespace acorn::stdlib {

namespace {

const char kRegexpTypeTag[] = "acorn.regexp";
constexpr const SQChar *kRegexpClassKey = "std_regexp";

SQInteger release_regexp(SQUserPointer up, SQInteger) {
    delete static_cast<Regex *>(up);
    return 1;
}

SQRESULT this_regex(HSQUIRRELVM v, Regex *&regex) {
    SQUserPointer up = nullptr;
    if (SQ_FAILED(sq_getinstanceup(v, 1, &up, const_cast<char *>(kRegexpTypeTag))) || up == nullptr) {
        return sq_throwerror(v, "invalid type tag");
    }
    regex = static_cast<Regex *>(up);
    return SQ_OK;
}

// Reads the text argument and the optional start index; the text handed on
// begins at the start index, so `^` anchors there. False when the start lies
// outside the text, where nothing can match.
bool searched_text(HSQUIRRELVM v, std::string_view &text, std::size_t &start) {
    text = string_argument(v, 2);
    SQInteger index = 0;
    if (sq_gettop(v) >= 3) sq_getinteger(v, 3, &index);
    if (index < 0 || static_cast<std::size_t>(index) > text.size()) return false;
    start = static_cast<std::size_t>(index);
    text.remove_prefix(start);
    return true;
}

SQRESULT report(HSQUIRRELVM v, RegexOutcome outcome) {
    if (outcome == RegexOutcome::TooComplex) return sq_throwerror(v, "regexp too complex for this text");
    return SQ_OK;
}

void set_offset_slot(HSQUIRRELVM v, const SQChar *name, std::ptrdiff_t value) {
    sq_pushstring(v, name, -1);
    sq_pushinteger(v, static_cast<SQInteger>(value));
    sq_newslot(v, -3, SQFalse);
}

void push_span(HSQUIRRELVM v, RegexSpan span, std::size_t start) {
    const auto shift = static_cast<std::ptrdiff_t>(start);
    sq_newtable(v);
    set_offset_slot(v, "begin", span.begin < 0 ? -1 : span.begin + shift);
    set_offset_slot(v, "end", span.end < 0 ? -1 : span.end + shift);
}

SQInteger regexp_constructor(HSQUIRRELVM v) {
    std::string error;
    std::unique_ptr<Regex> regex = Regex::compile(string_argument(v, 2), error);
    if (!regex) return sq_throwerror(v, error.c_str());
    if (SQ_FAILED(sq_setinstanceup(v, 1, regex.get()))) return sq_throwerror(v, "cannot create regexp");
    regex.release();
    sq_setreleasehook(v, 1, release_regexp);
    return 0;
}

SQInteger regexp_match(HSQUIRRELVM v) {
    Regex *regex = nullptr;
    if (SQ_FAILED(this_regex(v, regex))) return SQ_ERROR;
    const RegexOutcome outcome = regex->match_whole(string_argument(v, 2));
    if (SQ_FAILED(report(v, outcome))) return SQ_ERROR;
    sq_pushbool(v, outcome == RegexOutcome::Matched ? SQTrue : SQFalse);
    return 1;
}

// Runs the search shared by search() and capture(); pushes null when nothing
// matched and returns 1, or returns 0 with a match to be pushed by the caller.
SQInteger run_search(HSQUIRRELVM v, Regex *&regex, std::size_t &start) {
    std::string_view text;
    if (SQ_FAILED(this_regex(v, regex))) return SQ_ERROR;
    const RegexOutcome outcome = searched_text(v, text, start) ? regex->search(text) : RegexOutcome::NoMatch;
    if (SQ_FAILED(report(v, outcome))) return SQ_ERROR;
    if (outcome == RegexOutcome::Matched) return 0;
    sq_pushnull(v);
    return 1;
}

SQInteger regexp_search(HSQUIRRELVM v) {
    Regex *regex = nullptr;
    std::size_t start = 0;
    const SQInteger result = run_search(v, regex, start);
    if (result != 0) return result;
    push_span(v, regex->group(0), start);
    return 1;
}

SQInteger regexp_capture(HSQUIRRELVM v) {
    Regex *regex = nullptr;
    std::size_t start = 0;
    const SQInteger result = run_search(v, regex, start);
    if (result != 0) return result;
    sq_newarray(v, 0);
    for (std::size_t i = 0; i < regex->group_count(); ++i) {
        push_span(v, regex->group(i), start);
        sq_arrayappend(v, -2);
    }
    return 1;
}

SQInteger regexp_subexpcount(HSQUIRRELVM v) {
    Regex *regex = nullptr;
    if (SQ_FAILED(this_regex(v, regex))) return SQ_ERROR;
    sq_pushinteger(v, static_cast<SQInteger>(regex->group_count()));
    return 1;
}

SQInteger regexp_typeof(HSQUIRRELVM v) {
    sq_pushstring(v, "regexp", -1);
    return 1;
}

const SQRegFunction kRegexpMethods[] = {
    {"constructor", regexp_constructor, 2, "xs"},
    {"search", regexp_search, -2, "xsn"},
    {"match", regexp_match, 2, "xs"},
    {"capture", regexp_capture, -2, "xsn"},
    {"subexpcount", regexp_subexpcount, 1, "x"},
    {"_typeof", regexp_typeof, 1, "x"},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

SQRESULT register_regexp_class(HSQUIRRELVM v, SQInteger target) {
    return define_class(v, false, kRegexpTypeTag, kRegexpMethods, kRegexpClassKey, target, "regexp");
}

}  // namespace acorn::stdlib
