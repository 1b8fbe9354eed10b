#include "core/paths.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/builtin_cvars.h"
#include "core/log.h"

namespace me::paths {
namespace {

bool is_separator(char c) { return c == '/' || c == '\\'; }

const char* non_empty_env(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

bool is_directory(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string resolve_library(std::string_view path, std::string_view executable_dir) {
    constexpr std::string_view kPrefix = "lib:";
    if (!path.starts_with(kPrefix))
        return std::string(path);
    return join(join(executable_dir, "lib"), path.substr(kPrefix.size()));
}

const std::string& executable_dir() {
    static const std::string directory = [] {
        std::error_code error;
        const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
        if (error) {
            log_error("Cannot find the folder of the running executable: " + error.message());
            return std::string(".");
        }
        return executable.parent_path().string();
    }();
    return directory;
}

std::string os_form(std::string_view path) {
    std::string converted(path);
    std::replace(converted.begin(), converted.end(), '\\', kSeparator);
    return converted;
}

std::string normalise(std::string_view path) {
    std::string result = os_form(path);
    size_t end = result.find_last_not_of(kSeparator);
    if (end == std::string::npos)
        result.resize(std::min<size_t>(result.size(), 2));
    else
        result.resize(end + 1);
    return result;
}

std::string join(std::string_view a, std::string_view b) {
    if (b.empty())
        return std::string(a);
    std::string joined(a);
    if (!joined.empty() && !is_separator(joined.back()))
        joined += kSeparator;
    joined.append(b);
    return normalise(joined);
}

std::string resolve(std::string_view path) {
    size_t colon = path.find(':');
    if (colon == std::string_view::npos)
        return std::string(path);
    std::string_view prefix = path.substr(0, colon);
    std::string_view rest = path.substr(colon + 1);
    if (prefix == "root")
        return std::string(rest);
    if (prefix != "user")
        return std::string(path);
    std::optional<std::string> documents = documents_dir();
    if (!documents) {
        log_error("Failed to obtain My Documents directory.");
        return std::string(path);
    }
    return normalise(*documents + kSeparator + std::string(rest));
}

void create_directories(std::string_view path) {
    std::string os_path = os_form(path);
    for (size_t i = 1; i < os_path.size(); ++i) {
        if (os_path[i] == kSeparator && os_path[i - 1] != kSeparator)
            mkdir(os_path.substr(0, i).c_str(), 0777);
    }
}

std::optional<std::string> documents_dir() {
    std::string directory;
    if (const char* xdg = non_empty_env("XDG_DOCUMENTS_DIR"))
        directory = normalise(xdg);
    else if (const char* home = non_empty_env("HOME"))
        directory = normalise(std::string(home) + kSeparator + "Documents");
    else
        return std::nullopt;
    create_directories(directory + kSeparator);
    if (!is_directory(directory))
        return std::nullopt;
    return directory;
}

std::string save_dir() { return resolve(normalise(cvars::save_dir.text())); }

std::string save_file(std::string_view name) { return resolve(join(normalise(cvars::save_dir.text()), name)); }

std::string data_file(std::string_view name) { return join(kDataDir, name); }

}  // namespace me::paths
