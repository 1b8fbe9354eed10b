#pragma once

#include "script/script_binding.h"

namespace me {

// The Network table through which scripts drive connections, messages,
// state saves, rollback and replays. Each network unit adds its own functions.
extern ScriptNamespace g_network_namespace;

}  // namespace me
