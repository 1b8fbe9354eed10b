// Helpers shared by the libraries to bind native functions and classes:
// putting them into tables, keeping classes in the registry for later
// lookup, and reading arguments.
#ifndef ACORN_STDLIB_BINDING_H
#define ACORN_STDLIB_BINDING_H

#include <string>
#include <string_view>

#include "squirrel.h"

namespace acorn::stdlib {

// Adds each function of a list ended by a null name as a slot of the table
// or class on top of the stack.
void add_functions(HSQUIRRELVM v, const SQRegFunction *functions);

// The libraries register into the table on top of the stack; returns its
// absolute index, or raises an error when the top is not a table.
SQRESULT registration_target(HSQUIRRELVM v, SQInteger &target);

// Pushes registry[key]; on failure pushes nothing.
SQRESULT push_registry_value(HSQUIRRELVM v, const SQChar *key);

// Creates a class (deriving from the class on top of the stack when
// has_base, which is popped), tags it, gives it the methods, stores it as
// registry[registry_key] and, when global_name is not null, as that slot of
// the table at the absolute stack index target.
SQRESULT define_class(HSQUIRRELVM v, bool has_base, const void *type_tag, const SQRegFunction *methods,
                      const SQChar *registry_key, SQInteger target, const SQChar *global_name);

// The string at idx, zero bytes included; empty when it is not a string.
std::string_view string_argument(HSQUIRRELVM v, SQInteger idx);

// The string at idx for a C function (a path, a variable name, a command);
// raises an error instead when it holds a zero byte, which would silently
// shorten it.
SQRESULT c_string_argument(HSQUIRRELVM v, SQInteger idx, std::string &out);

}  // namespace acorn::stdlib

#endif
