#pragma once

#include <optional>
#include <string>

namespace me {

// Where a screenshot of that name goes: a file below the save directory, or
// null when the name is empty, contains "..", starts with a separator or
// names a prefix or drive (':'), any of which could leave the save directory.
std::optional<std::string> screenshot_path(const std::string& file_name);

// Writes the window's picture as a PNG into the save directory: the last
// presented frame when called before the frame's drawing starts (from
// update), the frame drawn so far when called while rendering. It is read
// from the buffer frames are drawn into, whose content Mesa keeps across the
// swap. False, with an error line, for a bad name, without a GL context or
// when the file cannot be written.
bool save_screenshot(const std::string& file_name);

}  // namespace me
