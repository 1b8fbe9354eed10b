#include "core/std_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <utility>

#include "core/log.h"
#include "core/paths.h"

namespace me {

namespace {

// Makes a rename in the folder durable; a failure only weakens that, so it is
// not reported.
void sync_directory_of(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (descriptor < 0)
        return;
    fsync(descriptor);
    ::close(descriptor);
}

const char* mode_for(uint32_t flags) {
    switch (flags & (StdFile::Read | StdFile::Write)) {
    case StdFile::Read:
        return "rb";
    case StdFile::Read | StdFile::Write:
        return "r+b";
    case StdFile::Write:
        return "wb";
    default:
        return nullptr;
    }
}

int whence_of(StdFile::Origin origin) {
    switch (origin) {
    case StdFile::Origin::Current:
        return SEEK_CUR;
    case StdFile::Origin::End:
        return SEEK_END;
    case StdFile::Origin::Begin:
        break;
    }
    return SEEK_SET;
}

// fopen succeeds on a directory for reading; such a stream fails later.
bool is_directory(FILE* stream) {
    struct stat info {};
    return fstat(fileno(stream), &info) == 0 && S_ISDIR(info.st_mode);
}

bool read_everything(std::string_view path, std::string& bytes) {
    StdFile file;
    if (!file.open(path, StdFile::Read))
        return false;
    int64_t size = file.size();
    if (size < 0)
        return false;
    if (size > StdFile::kMaxWholeFileSize) {
        log_error("File too big.");
        return false;
    }
    bytes.resize(static_cast<size_t>(size));
    return file.read(bytes.data(), bytes.size()) && file.close();
}

}  // namespace

StdFile::StdFile(StdFile&& other) noexcept : m_stream(std::exchange(other.m_stream, nullptr)) {}

StdFile& StdFile::operator=(StdFile&& other) noexcept {
    if (this != &other) {
        close_stream(true);
        m_stream = std::exchange(other.m_stream, nullptr);
    }
    return *this;
}

StdFile::~StdFile() { close_stream(true); }

bool StdFile::open(std::string_view path, uint32_t flags, bool report) {
    close_stream(report);
    const char* mode = mode_for(flags);
    if (!mode) {
        if (report)
            log_error(format_message("Invalid StdFile open mode %1.", Hex{flags}));
        return false;
    }
    m_stream = std::fopen(paths::os_form(path).c_str(), mode);
    if (m_stream && is_directory(m_stream))
        close_stream(false);
    if (!m_stream) {
        if (report)
            log_error(format_message("Can't open file '%1' for %2.", path, (flags & Write) ? "writing" : "reading"));
        return false;
    }
    return true;
}

bool StdFile::close() { return close_stream(true); }

bool StdFile::close_stream(bool report) {
    if (!m_stream)
        return true;
    bool closed = std::fclose(std::exchange(m_stream, nullptr)) == 0;
    if (!closed && report)
        log_error("Error closing file. Disk full?");
    return closed;
}

bool StdFile::require_stream() {
    if (m_stream)
        return true;
    log_error("Invalid file handle.");
    return false;
}

int64_t StdFile::tell() {
    if (!require_stream())
        return -1;
    off_t position = ftello(m_stream);
    if (position < 0) {
        log_error("Can't get current file position.");
        return -1;
    }
    return position;
}

int64_t StdFile::size() {
    int64_t position = tell();
    if (position < 0)
        return -1;
    if (fseeko(m_stream, 0, SEEK_END) != 0) {
        log_error("Can't get current file position.");
        return -1;
    }
    int64_t end = tell();
    if (fseeko(m_stream, position, SEEK_SET) != 0) {
        log_error("Can't get current file position.");
        return -1;
    }
    return end;
}

bool StdFile::read(void* buffer, size_t count) {
    if (!require_stream())
        return false;
    if (count > 0 && std::fread(buffer, 1, count, m_stream) != count) {
        log_error(format_message("Error reading %1 bytes from the file.", count));
        return false;
    }
    return true;
}

bool StdFile::write(const void* buffer, size_t count) {
    if (!require_stream())
        return false;
    if (count > 0 && std::fwrite(buffer, 1, count, m_stream) != count) {
        log_error(format_message("Error writing %1 bytes to the file.", count));
        return false;
    }
    return true;
}

bool StdFile::seek(int64_t offset, Origin origin) {
    if (!require_stream())
        return false;
    if (!std::in_range<off_t>(offset)) {
        log_error("Error seeking the file, invalid offset.");
        return false;
    }
    if (fseeko(m_stream, static_cast<off_t>(offset), whence_of(origin)) != 0) {
        log_error("Error seeking the file.");
        return false;
    }
    return true;
}

bool StdFile::exists(std::string_view path) {
    StdFile file;
    return file.open(path, Read, false);
}

bool StdFile::read_whole(std::string_view path, std::string& bytes) {
    bytes.clear();
    if (read_everything(path, bytes))
        return true;
    bytes.clear();
    log_error(format_message("Can't read file '%1'.", path));
    return false;
}

bool StdFile::sync() {
    if (!require_stream())
        return false;
    return std::fflush(m_stream) == 0 && fsync(fileno(m_stream)) == 0;
}

bool StdFile::replace_whole(std::string_view path, std::string_view bytes, bool report) {
    std::string target = paths::os_form(path);
    std::string temporary = target + ".~writing";
    StdFile file;
    // The bytes reach the disk before the rename, so that a crash or a power
    // loss leaves either the old file or the new one, never a cut one.
    bool written = file.open(temporary, Write, report) && file.write(bytes.data(), bytes.size()) && file.sync() &&
                   file.close_stream(report);
    if (written && std::rename(temporary.c_str(), target.c_str()) == 0) {
        sync_directory_of(target);
        return true;
    }
    file.close_stream(false);
    std::remove(temporary.c_str());
    if (report)
        log_error(format_message("Can't write file '%1'.", path));
    return false;
}

}  // namespace me
