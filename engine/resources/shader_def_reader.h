#pragma once

#include <squirrel.h>

#include "gpu/shader_def.h"
#include "script/script_object.h"

namespace me {

// The shader def in a script table: lists that are missing or not arrays,
// and list entries that are not tables, stay empty for the loader to report.
ShaderDef read_shader_def(HSQUIRRELVM vm, const ScriptObject& def);

}  // namespace me
