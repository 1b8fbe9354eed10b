#include "network/state_slot_dumps.h"

#include <algorithm>
#include <optional>

#include "core/log.h"
#include "core/log_format.h"
#include "core/paths.h"
#include "core/std_file.h"
#include "network/state_buffer_text.h"
#include "network/state_dump_comparison.h"
#include "network/state_manager.h"

namespace me {

namespace {

std::optional<std::string> slot_text(const StateManager& manager, int32_t slot) {
    const StateBuffer* buffer = manager.slot_buffer(slot);
    if (buffer == nullptr || !buffer->is_valid_state())
        return std::nullopt;
    return StateBufferText(manager.classes()).text(*buffer);
}

std::string slot_name(int32_t slot) { return format_message("slot %1", slot); }

}  // namespace

std::vector<std::string> slot_differences(const StateManager& manager, int32_t first, int32_t second) {
    const StateBuffer* a = manager.slot_buffer(first);
    const StateBuffer* b = manager.slot_buffer(second);
    if (a != nullptr && b != nullptr && std::ranges::equal(a->bytes(), b->bytes()))
        return {};
    std::vector<std::string> lines;
    const std::optional<std::string> first_text = slot_text(manager, first);
    const std::optional<std::string> second_text = slot_text(manager, second);
    if (!first_text || !second_text) {
        lines.push_back(format_message("%1 cannot be read as a state of the registered classes",
                                       slot_name(first_text ? second : first)));
        return lines;
    }
    lines = StateDumpComparison(slot_name(first), slot_name(second)).differences(*first_text, *second_text);
    // Different bytes must never read as "the same".
    if (lines.empty())
        lines.push_back(format_message("%1 and %2 hold different bytes that read as the same text", slot_name(first),
                                       slot_name(second)));
    return lines;
}

bool write_slot_dump(const StateManager& manager, int32_t slot, std::string_view file_name) {
    if (!stays_in_save_dir(file_name)) {
        log_warning(format_message("Refusing to write a state dump to '%1': the name must stay inside the save "
                                   "directory",
                                   file_name));
        return false;
    }
    if (!manager.is_state(slot)) {
        log_warning(format_message("Cannot write a state dump of slot %1: it holds no finished state", slot));
        return false;
    }
    const std::optional<std::string> text = slot_text(manager, slot);
    if (!text)
        return false;
    const std::string path = paths::save_file(file_name);
    paths::create_directories(path);
    return StdFile::replace_whole(path, *text);
}

bool stays_in_save_dir(std::string_view file_name) {
    const std::string name = paths::os_form(file_name);
    if (name.empty() || name.front() == paths::kSeparator || name.find(':') != std::string::npos)
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        const size_t end = std::min(name.find(paths::kSeparator, start), name.size());
        if (std::string_view(name).substr(start, end - start) == "..")
            return false;
        start = end + 1;
    }
    return true;
}

}  // namespace me
