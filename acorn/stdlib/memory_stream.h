// The storage of a blob: a byte vector with a position that never passes
// its end; writing past the end grows it.
#ifndef ACORN_STDLIB_MEMORY_STREAM_H
#define ACORN_STDLIB_MEMORY_STREAM_H

#include <vector>

#include "stream.h"

namespace acorn::stdlib {

class MemoryStream final : public Stream {
public:
    explicit MemoryStream(std::size_t size = 0) : bytes_(size, 0) {}

    std::size_t read(void *buffer, std::size_t size) override;
    std::size_t write(const void *buffer, std::size_t size) override;
    bool seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t tell() override { return static_cast<std::int64_t>(position_); }
    std::int64_t length() override { return static_cast<std::int64_t>(bytes_.size()); }
    bool at_end() override { return position_ >= bytes_.size(); }
    bool flush() override { return true; }

    // Keeps the first bytes, zero-fills new ones, pulls the position back
    // inside. Throws std::bad_alloc when memory runs out.
    void resize(std::size_t size);
    // Reverse the byte order of each whole 2- or 4-byte group; a shorter
    // tail is left as it is.
    void swap2();
    void swap4();

    // Never null, so that an empty blob still has an address to hand out.
    unsigned char *data() { return bytes_.empty() ? &placeholder_ : bytes_.data(); }
    std::size_t size() const { return bytes_.size(); }

private:
    void swap_groups(std::size_t group);

    std::vector<unsigned char> bytes_;
    std::size_t position_ = 0;
    unsigned char placeholder_ = 0;
};

}  // namespace acorn::stdlib

#endif
