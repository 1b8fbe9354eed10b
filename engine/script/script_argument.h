#pragma once

#include <squirrel.h>

#include <string>
#include <variant>

#include "script/script_object.h"

namespace me {

// One argument of a call into script.
using ScriptArgument = std::variant<std::monostate, SQInteger, SQFloat, bool, std::string, ScriptObject>;

void push_argument(HSQUIRRELVM vm, const ScriptArgument& argument);

}  // namespace me
