#include "audio/sample_ring.h"

#include <algorithm>

namespace me {

SampleRing::SampleRing(size_t capacity) : m_buffer(capacity) {}

size_t SampleRing::available() const {
    return m_written.load(std::memory_order_acquire) - m_read.load(std::memory_order_acquire);
}

size_t SampleRing::write(const float* samples, size_t count) {
    const size_t written = m_written.load(std::memory_order_relaxed);
    const size_t free = m_buffer.size() - (written - m_read.load(std::memory_order_acquire));
    const size_t n = std::min(count, free);
    for (size_t i = 0; i < n; ++i)
        m_buffer[(written + i) % m_buffer.size()] = samples[i];
    m_written.store(written + n, std::memory_order_release);
    return n;
}

size_t SampleRing::read(float* samples, size_t count) {
    const size_t read = m_read.load(std::memory_order_relaxed);
    const size_t n = std::min(count, m_written.load(std::memory_order_acquire) - read);
    for (size_t i = 0; i < n; ++i)
        samples[i] = m_buffer[(read + i) % m_buffer.size()];
    m_read.store(read + n, std::memory_order_release);
    return n;
}

}  // namespace me
