#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/std_file.h"

namespace me::platform {

// Cloud files of one user as plain files in one directory. Any name is
// stored under an escaped file name, so names cannot reach outside it.
class CloudStorage {
public:
    explicit CloudStorage(std::string directory) : m_directory(std::move(directory)) {}

    bool exists(std::string_view name) const;
    std::optional<int64_t> size(std::string_view name) const;
    std::optional<std::string> read(std::string_view name) const;
    // Files are limited to what StdFile::read_whole accepts, so that every
    // file written can be read back. Written to a temporary file first, so a
    // failed write keeps the old file.
    bool write(std::string_view name, std::string_view bytes) const;

    // The path the named file is kept at; empty for a name too long to keep.
    std::string path_of(std::string_view name) const;

private:
    std::string m_directory;
};

}  // namespace me::platform
