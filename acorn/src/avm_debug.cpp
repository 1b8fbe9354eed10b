// Debug hooks: the host's native hook or a script hook set by setdebughook
// hears 'c' (call), 'r' (return) and, with debug information enabled, 'l'
// (a new source line, and every backward jump so that a loop on one line
// still reports each turn). A hook that raises an error makes it a script
// error at that point.
#include <algorithm>

#include "avm.h"

namespace {

const char *proto_text(const SQValue &s, const char *fallback) {
    return s._type == OT_STRING ? sq_str(s)->c_str() : fallback;
}

}  // namespace

bool sq_is_line_start(const SQFunctionProto *fn, SQInteger pc) {
    auto it = std::lower_bound(fn->lineinfos.begin(), fn->lineinfos.end(), pc,
                               [](const SQLineInfo &li, SQInteger op) { return li.op < op; });
    return it != fn->lineinfos.end() && it->op == pc;
}

bool SQVM::debug_event(SQInteger type, const SQFunctionProto *fn, SQInteger line) {
    if (in_debughook || !debug_hooked()) return true;
    in_debughook = true;
    const char *source = proto_text(fn->sourcename, "unknown");
    const char *name = proto_text(fn->name, "unknown");
    SQValue saved = lasterror;
    lasterror.set_null();
    bool ok = true;
    if (native_debughook) {
        native_debughook(this, type, source, line, name);
        ok = lasterror.is_null();
    } else if (stack_room() > SQ_NATIVE_STACK_RESERVE + 5) {
        SQValue hook = debughook, ignored;
        SQInteger argbase = top;
        push(roottable);
        push(SQValue(type));
        push(SQValue(SQString::create(ss, source)));
        push(SQValue(line));
        push(SQValue(SQString::create(ss, name)));
        ok = call(hook, 5, argbase, ignored, false);
        pop(top - argbase);
    }
    if (ok) lasterror = saved;
    in_debughook = false;
    return ok;
}
