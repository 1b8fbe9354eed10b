#include "sqstdaux.h"

namespace {

const SQChar *type_label(SQObjectType type) {
    switch (type) {
    case OT_NULL: return "NULL";
    case OT_TABLE: return "TABLE";
    case OT_ARRAY: return "ARRAY";
    case OT_CLOSURE: return "CLOSURE";
    case OT_NATIVECLOSURE: return "NATIVECLOSURE";
    case OT_GENERATOR: return "GENERATOR";
    case OT_USERDATA: return "USERDATA";
    case OT_USERPOINTER: return "USERPOINTER";
    case OT_THREAD: return "THREAD";
    case OT_CLASS: return "CLASS";
    case OT_INSTANCE: return "INSTANCE";
    case OT_WEAKREF: return "WEAKREF";
    case OT_FUNCPROTO: return "FUNCPROTO";
    case OT_OUTER: return "OUTER";
    default: return "UNKNOWN";
    }
}

// Prints the local whose value is on top of the stack.
void print_local(HSQUIRRELVM v, SQPRINTFUNCTION print, const SQChar *name) {
    switch (sq_gettype(v, -1)) {
    case OT_INTEGER: {
        SQInteger i = 0;
        sq_getinteger(v, -1, &i);
        print(v, "[%s] %lld\n", name, static_cast<long long>(i));
        break;
    }
    case OT_FLOAT: {
        SQFloat f = 0;
        sq_getfloat(v, -1, &f);
        print(v, "[%s] %.14g\n", name, static_cast<double>(f));
        break;
    }
    case OT_STRING: {
        const SQChar *s = "";
        sq_getstring(v, -1, &s);
        print(v, "[%s] \"%s\"\n", name, s);
        break;
    }
    case OT_BOOL: {
        SQBool b = SQFalse;
        sq_getbool(v, -1, &b);
        print(v, "[%s] %s\n", name, b ? "true" : "false");
        break;
    }
    default: print(v, "[%s] %s\n", name, type_label(sq_gettype(v, -1))); break;
    }
}

SQInteger runtime_error_handler(HSQUIRRELVM v) {
    SQPRINTFUNCTION print = sq_geterrorfunc(v);
    if (print == nullptr) return 0;
    const SQChar *message = nullptr;
    if (sq_gettop(v) >= 2 && sq_gettype(v, 2) == OT_STRING && SQ_SUCCEEDED(sq_getstring(v, 2, &message))) {
        print(v, "\nAN ERROR HAS OCCURRED [%s]\n", message);
    } else {
        print(v, "\nAN ERROR HAS OCCURRED [unknown]\n");
    }
    sqstd_printcallstack(v);
    return 0;
}

void compiler_error_handler(HSQUIRRELVM v, const SQChar *description, const SQChar *source, SQInteger line,
                            SQInteger column) {
    SQPRINTFUNCTION print = sq_geterrorfunc(v);
    if (print == nullptr) return;
    print(v, "%s line = (%lld) column = (%lld) : error %s\n", source != nullptr ? source : "unknown",
          static_cast<long long>(line), static_cast<long long>(column), description != nullptr ? description : "");
}

}  // namespace

extern "C" {

// Level 0 is the native function doing the printing (the error handler), so
// the listing starts at its caller. A runaway recursion can leave a million
// frames: the innermost and outermost ones are listed and the rest counted.
void sqstd_printcallstack(HSQUIRRELVM v) {
    SQPRINTFUNCTION print = sq_geterrorfunc(v);
    if (print == nullptr) return;
    constexpr SQInteger kFirstLevel = 1;
    constexpr SQInteger kInnermostShown = 40;
    constexpr SQInteger kOutermostShown = 10;
    SQInteger last = kFirstLevel;
    SQStackInfos info;
    while (SQ_SUCCEEDED(sq_stackinfos(v, last + 1, &info))) ++last;
    const bool elide = last - kFirstLevel + 1 > kInnermostShown + kOutermostShown;
    const auto shown = [&](SQInteger level) {
        return !elide || level < kFirstLevel + kInnermostShown || level > last - kOutermostShown;
    };
    const auto print_elision = [&](SQInteger level) {
        if (elide && level == kFirstLevel + kInnermostShown) {
            print(v, "... %lld more ...\n", static_cast<long long>(last - kFirstLevel + 1 - kInnermostShown - kOutermostShown));
        }
    };
    print(v, "\nCALLSTACK\n");
    for (SQInteger level = kFirstLevel; SQ_SUCCEEDED(sq_stackinfos(v, level, &info)); ++level) {
        print_elision(level);
        if (!shown(level)) continue;
        print(v, "*FUNCTION [%s()] %s line [%lld]\n", info.funcname != nullptr ? info.funcname : "unknown",
              info.source != nullptr ? info.source : "unknown", static_cast<long long>(info.line));
    }
    print(v, "\nLOCALS\n");
    for (SQInteger level = kFirstLevel; SQ_SUCCEEDED(sq_stackinfos(v, level, &info)); ++level) {
        print_elision(level);
        if (!shown(level)) continue;
        SQUnsignedInteger seq = 0;
        while (const SQChar *name = sq_getlocal(v, static_cast<SQUnsignedInteger>(level), seq++)) {
            print_local(v, print, name);
            sq_poptop(v);
        }
    }
}

void sqstd_seterrorhandlers(HSQUIRRELVM v) {
    sq_setcompilererrorhandler(v, compiler_error_handler);
    sq_newclosure(v, runtime_error_handler, 0);
    sq_seterrorhandler(v);
}

}  // extern "C"
