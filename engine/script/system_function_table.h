#pragma once

#include <squirrel.h>

#include <span>

#include "script/bind_class.h"

namespace me {

// Adds the functions to the System table in the given order. System
// functions have no parameter check: each reads its own arguments.
void bind_system_functions(HSQUIRRELVM vm, std::span<const MethodBinding> functions);

}  // namespace me
