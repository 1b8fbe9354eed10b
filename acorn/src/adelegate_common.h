// Helpers shared by the base library's global functions and the default
// delegates of every type.
#pragma once

#include <initializer_list>

#include "avm.h"

// The longest array array() and resize() will make; larger requests get a
// script error instead of exhausting memory.
constexpr SQInteger SQ_MAX_ARRAY_LENGTH = SQInteger(1) << 24;

// The value at API index `idx` of the running native call (1 is `this`).
inline SQValue &sq_arg(HSQUIRRELVM v, SQInteger idx) { return v->get_at(idx); }

// A numeric argument as an integer (floats truncate like the language does).
SQInteger sq_arg_integer(HSQUIRRELVM v, SQInteger idx);

// Float to integer with the result the reference platform gives for values
// that do not fit (the most negative integer), never undefined behaviour.
SQInteger sq_float_to_integer(SQFloat f);

// Pushes `o` and returns 1, the usual ending of a native that returns a value.
SQInteger sq_return(HSQUIRRELVM v, const SQObject &o);

// Interned string value with these bytes.
SQValue sq_make_string(HSQUIRRELVM v, const char *s, SQInteger len = -1);

// Adds or replaces `key` in table `t`.
void sq_table_put(HSQUIRRELVM v, SQTable *t, const char *key, const SQObject &val);

// Resizes `items` to `size`, new slots holding `fill`. Raises the script
// error and returns false for a negative or too large size, or when memory
// runs out.
bool sq_resize_values(HSQUIRRELVM v, ReallocVector<SQValue> &items, SQInteger size, const SQObject &fill);

// Resolves the optional (start, [end]) arguments at API indices
// `first` and `first + 1` against a sequence of `len` items: negative
// indices count from the end, a missing end means `len`. Raises the
// script error and returns false when the range is not inside the sequence.
bool sq_resolve_range(HSQUIRRELVM v, SQInteger first, SQInteger len, SQInteger &start, SQInteger &end);

// Calls `fn` with `args` (the first one is `this`); the error handler runs
// on failure as for any call made from a native function.
bool sq_call_with(HSQUIRRELVM v, const SQObject &fn, std::initializer_list<SQObject> args, SQValue &result);

// How many arguments besides `this` a callback takes, capped at `most`:
// lets map/apply pass the optional index and array only to functions that
// declare them.
SQInteger sq_callback_arity(const SQObject &fn, SQInteger most);

// Table describing call stack level `level` of `thread`
// ({func, src, line, locals}), pushed onto `dest`; null when there is no
// such level.
SQInteger sq_push_stackinfos(HSQUIRRELVM thread, SQInteger level, HSQUIRRELVM dest);

// Natives shared by several delegates: every type can make a weak reference
// to itself and convert itself to a string.
SQInteger sq_delegate_weakref(HSQUIRRELVM v);
SQInteger sq_delegate_tostring(HSQUIRRELVM v);
// rawget / rawset / rawin for tables, classes and instances.
SQInteger sq_delegate_rawget(HSQUIRRELVM v);
SQInteger sq_delegate_rawset(HSQUIRRELVM v);
SQInteger sq_delegate_rawin(HSQUIRRELVM v);
