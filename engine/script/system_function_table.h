#pragma once

#include <squirrel.h>

#include <span>

#include "script/bind_class.h"
#include "script/script_binding.h"

namespace me {

// Adds the functions to a namespace table (System, Network, ...) in the given
// order. Such functions have no parameter check: each reads its own arguments.
void bind_namespace_functions(HSQUIRRELVM vm, const ScriptNamespace& space, std::span<const MethodBinding> functions);

// The same for the System table.
void bind_system_functions(HSQUIRRELVM vm, std::span<const MethodBinding> functions);

}  // namespace me
