// The storage of a file object: a C stream, closed with the object when the
// object owns it.
#ifndef ACORN_STDLIB_FILE_STREAM_H
#define ACORN_STDLIB_FILE_STREAM_H

#include <cstdio>

#include "stream.h"

namespace acorn::stdlib {

class FileStream final : public Stream {
public:
    FileStream(std::FILE *file, bool owned) : file_(file), owned_(owned) {}
    ~FileStream() override { close(); }
    FileStream(const FileStream &) = delete;
    FileStream &operator=(const FileStream &) = delete;

    std::size_t read(void *buffer, std::size_t size) override;
    std::size_t write(const void *buffer, std::size_t size) override;
    bool seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t tell() override;
    std::int64_t length() override;
    bool at_end() override;
    bool flush() override;
    bool is_open() const override { return file_ != nullptr; }

    void close();
    void set_owned(bool owned) { owned_ = owned; }
    std::FILE *file() const { return file_; }

private:
    std::FILE *file_;
    bool owned_;
};

}  // namespace acorn::stdlib

#endif
