#pragma once

namespace me {

// State classes, state objects, save slots and map state. Not built yet: it
// holds nothing.
class StateManager {};

extern StateManager* g_state_manager;

}  // namespace me
