#include "file_stream.h"

namespace acorn::stdlib {

std::size_t FileStream::read(void *buffer, std::size_t size) {
    return size == 0 ? 0 : std::fread(buffer, 1, size, file_);
}

std::size_t FileStream::write(const void *buffer, std::size_t size) {
    return size == 0 ? 0 : std::fwrite(buffer, 1, size, file_);
}

bool FileStream::seek(std::int64_t offset, SeekOrigin origin) {
    int whence = SEEK_SET;
    if (origin == SeekOrigin::Current) whence = SEEK_CUR;
    if (origin == SeekOrigin::End) whence = SEEK_END;
    return std::fseek(file_, static_cast<long>(offset), whence) == 0;
}

std::int64_t FileStream::tell() { return std::ftell(file_); }

std::int64_t FileStream::length() {
    const long here = std::ftell(file_);
    if (here < 0 || std::fseek(file_, 0, SEEK_END) != 0) return -1;
    const long end = std::ftell(file_);
    std::fseek(file_, here, SEEK_SET);
    return end;
}

// By position, as the reference library answers: a file read or written up
// to its last byte is at its end before any read runs into it.
bool FileStream::at_end() {
    const std::int64_t here = tell();
    return here >= 0 && here >= length();
}

bool FileStream::flush() { return std::fflush(file_) == 0; }

void FileStream::close() {
    if (file_ != nullptr && owned_) std::fclose(file_);
    file_ = nullptr;
}

}  // namespace acorn::stdlib
