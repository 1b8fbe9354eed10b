#pragma once

namespace me {

// State classes, state objects, save slots and map state. Not built yet: it
// holds nothing.
class StateManager {};

inline StateManager* g_state_manager = nullptr;

}  // namespace me
