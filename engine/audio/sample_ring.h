#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

namespace me {

// A single-producer, single-consumer ring of floats: the stream feeder
// writes, the audio callback reads, and neither ever waits for the other.
class SampleRing {
public:
    explicit SampleRing(size_t capacity);

    // Each copies as many floats as fit or are there, and says how many.
    size_t write(const float* samples, size_t count);
    size_t read(float* samples, size_t count);

    size_t available() const;
    size_t space() const { return m_buffer.size() - available(); }

private:
    std::vector<float> m_buffer;
    // Monotonic counts; the slot is the count modulo the capacity.
    std::atomic<size_t> m_written{0};
    std::atomic<size_t> m_read{0};
};

}  // namespace me
