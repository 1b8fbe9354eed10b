// Helpers shared by the embedding API's files: every API index is checked
// against the running frame, so a bad index from the host gives an error or
// a null value, never a read outside the stack.
#pragma once

#include "avm.h"

// Sets lasterror to `msg` and returns SQ_ERROR.
SQRESULT api_error(SQVM *v, const char *msg);

// Inline below: every API call of every binding goes through them.

// The stack slot an API index names, or null when it is outside the frame.
inline SQValue *api_slot(SQVM *v, SQInteger idx) {
    const SQInteger abs = idx > 0 ? v->stackbase + idx - 1 : v->top + idx;
    if (idx == 0 || abs < v->stackbase || abs >= v->top) return nullptr;
    return &v->stack[static_cast<size_t>(abs)];
}
// The value an API index names; a null value when the index is out of range.
inline const SQValue &api_value(SQVM *v, SQInteger idx) {
    static const SQValue none;
    const SQValue *slot = api_slot(v, idx);
    return slot ? *slot : none;
}
// Values in the running frame, `this` included.
inline SQInteger api_frame_size(const SQVM *v) { return v->top - v->stackbase; }
// The largest array, user data or instance data the host may ask for.
constexpr SQInteger kMaxHostSize = SQInteger(1) << 26;
// The value at `idx` if it has type `t`; otherwise sets an error and returns null.
const SQValue *api_typed(SQVM *v, SQInteger idx, SQObjectType t);
// True if the frame holds at least `n` values; otherwise sets an error.
bool api_need(SQVM *v, SQInteger n);
// Pushes unless the stack is full (then sets an error and returns false).
inline bool api_push(SQVM *v, const SQObject &o) {
    if (v->stack_room() <= 0) {
        api_error(v, "stack overflow");
        return false;
    }
    v->push(o);
    return true;
}
