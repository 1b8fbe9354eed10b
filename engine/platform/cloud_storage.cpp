#include "platform/cloud_storage.h"

#include <sys/stat.h>

#include "core/log.h"
#include "core/paths.h"

namespace me::platform {
namespace {

constexpr size_t kMaxStoredNameLength = 240;

bool kept_as_is(char c, bool first) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           (c == '.' && !first);
}

std::string escape_name(std::string_view name) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    std::string stored;
    for (size_t i = 0; i < name.size(); ++i) {
        if (kept_as_is(name[i], i == 0)) {
            stored += name[i];
            continue;
        }
        unsigned char byte = static_cast<unsigned char>(name[i]);
        stored += '%';
        stored += kHexDigits[byte >> 4];
        stored += kHexDigits[byte & 15];
    }
    return stored;
}

std::optional<struct stat> regular_file_info(const std::string& path) {
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return info;
}

}  // namespace

std::string CloudStorage::path_of(std::string_view name) const {
    std::string stored = escape_name(name);
    if (stored.empty() || stored.size() > kMaxStoredNameLength)
        return std::string();
    return paths::join(m_directory, stored);
}

bool CloudStorage::exists(std::string_view name) const { return regular_file_info(path_of(name)).has_value(); }

std::optional<int64_t> CloudStorage::size(std::string_view name) const {
    auto info = regular_file_info(path_of(name));
    if (!info)
        return std::nullopt;
    return static_cast<int64_t>(info->st_size);
}

std::optional<std::string> CloudStorage::read(std::string_view name) const {
    std::string path = path_of(name);
    std::string bytes;
    if (path.empty() || !StdFile::read_whole(path, bytes))
        return std::nullopt;
    return bytes;
}

bool CloudStorage::write(std::string_view name, std::string_view bytes) const {
    std::string path = path_of(name);
    if (path.empty()) {
        log_error(format_message("Cloud file name '%1' is empty or too long.", name));
        return false;
    }
    if (bytes.size() > static_cast<size_t>(StdFile::kMaxWholeFileSize)) {
        log_error(format_message("Cloud file '%1' is larger than %2 bytes.", name, StdFile::kMaxWholeFileSize));
        return false;
    }
    paths::create_directories(path);
    return StdFile::replace_whole(path, bytes);
}

}  // namespace me::platform
