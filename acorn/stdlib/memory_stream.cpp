#include "memory_stream.h"

#include <algorithm>
#include <cstring>

namespace acorn::stdlib {

std::size_t MemoryStream::read(void *buffer, std::size_t size) {
    const std::size_t count = std::min(size, bytes_.size() - position_);
    if (count > 0) std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
    return count;
}

std::size_t MemoryStream::write(const void *buffer, std::size_t size) {
    if (size > bytes_.max_size() - position_) return 0;
    const std::size_t end = position_ + size;
    try {
        if (end > bytes_.size()) bytes_.resize(end);
    } catch (const std::exception &) {
        return 0;
    }
    if (size > 0) std::memcpy(bytes_.data() + position_, buffer, size);
    position_ = end;
    return size;
}

bool MemoryStream::seek(std::int64_t offset, SeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == SeekOrigin::Current) base = static_cast<std::int64_t>(position_);
    if (origin == SeekOrigin::End) base = static_cast<std::int64_t>(bytes_.size());
    const std::int64_t target = base + offset;
    if (target < 0 || target > static_cast<std::int64_t>(bytes_.size())) return false;
    position_ = static_cast<std::size_t>(target);
    return true;
}

void MemoryStream::resize(std::size_t size) {
    bytes_.resize(size, 0);
    position_ = std::min(position_, size);
}

void MemoryStream::swap_groups(std::size_t group) {
    for (std::size_t i = 0; i + group <= bytes_.size(); i += group) {
        std::reverse(bytes_.begin() + static_cast<std::ptrdiff_t>(i),
                     bytes_.begin() + static_cast<std::ptrdiff_t>(i + group));
    }
}

void MemoryStream::swap2() { swap_groups(2); }

void MemoryStream::swap4() { swap_groups(4); }

}  // namespace acorn::stdlib
