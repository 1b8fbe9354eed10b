#pragma once

#include <optional>
#include <string>
#include <string_view>

// Paths are UTF-8 strings. Both '/' and '\' are accepted as separators; after
// normalisation only '/' remains, which is what the operating system gets.
namespace me::paths {

inline constexpr char kSeparator = '/';
inline constexpr const char* kDataDir = "data";

// Turns every separator into '/', then drops trailing separators, except that
// a path made only of one or two separators keeps them.
std::string normalise(std::string_view path);
// b appended to a with one separator between them, normalised; a alone when
// b is empty.
std::string join(std::string_view a, std::string_view b);
// "user:rest" becomes the documents folder joined with rest, "root:rest"
// becomes rest; every other path is returned unchanged.
std::string resolve(std::string_view path);
// "lib:rest" becomes rest in the "lib" folder beside the executable, whose
// folder is given; every other path is returned unchanged.
std::string resolve_library(std::string_view path, std::string_view executable_dir);
// The folder of the running executable, read once; "." when the system cannot
// tell.
const std::string& executable_dir();
// The path with every '\' turned into '/', nothing else changed: the form
// handed to the operating system.
std::string os_form(std::string_view path);
// Creates the directory before every separator that follows a non-empty
// component; the last component names a file and is not created.
void create_directories(std::string_view path);

// $XDG_DOCUMENTS_DIR, else $HOME/Documents, created when missing.
std::optional<std::string> documents_dir();
// The save directory (system::save_dir, normalised, prefix resolved).
std::string save_dir();
// A file in the save directory, prefix resolved.
std::string save_file(std::string_view name);
// A file in the data directory below the current directory.
std::string data_file(std::string_view name);

}  // namespace me::paths
