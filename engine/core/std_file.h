#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace me {

// One optional file stream of the C runtime. Every failure is logged as an
// error line and reported as false or -1.
class StdFile {
public:
    enum OpenFlags : uint32_t { Read = 1, Write = 2 };
    enum class Origin { Begin, Current, End };

    static constexpr int64_t kMaxWholeFileSize = 64 * 1024 * 1024;

    StdFile() = default;
    StdFile(StdFile&& other) noexcept;
    StdFile& operator=(StdFile&& other) noexcept;
    StdFile(const StdFile&) = delete;
    StdFile& operator=(const StdFile&) = delete;
    ~StdFile();

    // Read alone opens for reading, Read|Write for update, Write alone
    // creates or truncates. With report false a failure is not logged.
    bool open(std::string_view path, uint32_t flags, bool report = true);
    bool close();
    bool is_open() const { return m_stream != nullptr; }

    int64_t tell();
    int64_t size();
    bool read(void* buffer, size_t count);
    bool write(const void* buffer, size_t count);
    bool seek(int64_t offset, Origin origin);
    // Pushes what was written through the C library and the system to disk.
    bool sync();

    static bool exists(std::string_view path);
    // The whole file into bytes; files over kMaxWholeFileSize are refused.
    static bool read_whole(std::string_view path, std::string& bytes);
    // Writes the bytes to a temporary file beside path, syncs it and renames
    // it over path, so that every outcome (a failed write, a full disk, a
    // kill) leaves the old file or the new one. With report false a failure
    // is not logged.
    static bool replace_whole(std::string_view path, std::string_view bytes, bool report = true);

private:
    bool close_stream(bool report);
    bool require_stream();

    FILE* m_stream = nullptr;
};

}  // namespace me
