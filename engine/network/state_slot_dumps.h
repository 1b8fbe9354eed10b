#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace me {

class StateManager;

// Saved states shown to a person: the text dumps of save slots, compared or
// written to files, for finding out why two peers (or two runs) disagree.

// Lines naming how the states in the two slots differ (see
// StateDumpComparison); empty when they hold the same bytes. Both slots must
// hold a finished state.
std::vector<std::string> slot_differences(const StateManager& manager, int32_t first, int32_t second);

// Writes the slot's text dump to file_name in the save directory. A name that
// would leave the save directory, or a slot without a finished state, is
// refused with a warning.
bool write_slot_dump(const StateManager& manager, int32_t slot, std::string_view file_name);

// Relative, without ".." or a prefix such as "user:": a name that stays
// inside the save directory.
bool stays_in_save_dir(std::string_view file_name);

}  // namespace me
