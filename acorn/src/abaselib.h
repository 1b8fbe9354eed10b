// The base library: global functions every script sees, and the default
// delegates that give each value type its built-in methods.
#pragma once

#include "squirrel.h"

// Registers the global functions and constants in the root table and
// creates every default delegate in the shared state. sq_open calls it once
// the root, registry and constant tables exist.
void sq_register_baselib(SQVM *v);

// Built-in methods of each value type, each list ending with a null name.
extern const SQRegFunction sq_number_delegate_funcs[];
extern const SQRegFunction sq_string_delegate_funcs[];
extern const SQRegFunction sq_table_delegate_funcs[];
extern const SQRegFunction sq_array_delegate_funcs[];
extern const SQRegFunction sq_closure_delegate_funcs[];
extern const SQRegFunction sq_class_delegate_funcs[];
extern const SQRegFunction sq_instance_delegate_funcs[];
extern const SQRegFunction sq_generator_delegate_funcs[];
extern const SQRegFunction sq_thread_delegate_funcs[];
extern const SQRegFunction sq_weakref_delegate_funcs[];
