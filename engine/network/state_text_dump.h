#pragma once

#include <squirrel.h>

#include <string>

namespace me {

class StateManager;

// The debug text of what a save of the manager's objects would hold, read
// from the live objects: counts, type runs, then every object's native and
// script members. Values of the wrong kind show as "?" (the save that
// follows stops on them).
std::string state_dump_text(HSQUIRRELVM vm, const StateManager& manager);

}  // namespace me
