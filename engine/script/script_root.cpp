#include "script/script_root.h"

namespace me {

ScriptRoot* g_script_root = nullptr;

}  // namespace me
