#pragma once

#include <cstdint>
#include <ctime>

namespace me {

// The application's xorshift128 generator, shared by scripts, audio, particles
// and latency simulation. Its sequence is part of the game's behaviour: two
// starts within the same second replay the same numbers.
class Xorshift128 {
public:
    static constexpr uint32_t kDefaultX = 123456789u;
    static constexpr uint32_t kDefaultY = 362436069u;
    static constexpr uint32_t kDefaultZ = 521288629u;
    static constexpr uint32_t kDefaultW = 88675123u;

    // Derives the state from one 32-bit seed; a word that would be zero takes
    // its default instead.
    void seed(uint32_t s);
    // The seed the application uses: a sum of the calendar fields of a UTC time.
    static uint32_t seed_for_time(const std::tm& utc);
    void seed_from_current_time();
    void set_state(uint32_t x, uint32_t y, uint32_t z, uint32_t w);

    uint32_t next();
    // Uniform in [min, max], both ends included; max < min wraps as unsigned.
    int32_t next_int(int32_t min, int32_t max);
    // min + r / 2^24 * (max - min) with r in [0, 2^24]: both ends can occur.
    float next_float(float min, float max);

    uint32_t x() const { return m_x; }
    uint32_t y() const { return m_y; }
    uint32_t z() const { return m_z; }
    uint32_t w() const { return m_w; }

private:
    uint32_t m_x = kDefaultX;
    uint32_t m_y = kDefaultY;
    uint32_t m_z = kDefaultZ;
    uint32_t m_w = kDefaultW;
};

}  // namespace me
