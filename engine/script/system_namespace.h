#pragma once

#include "script/script_binding.h"

namespace me {

// The System table through which scripts reach the application.
extern ScriptNamespace g_system_namespace;

}  // namespace me
