#include "core/random.h"

namespace me {

namespace {

uint32_t nonzero_or(uint32_t value, uint32_t fallback) { return value != 0 ? value : fallback; }

}  // namespace

void Xorshift128::seed(uint32_t s) {
    m_x = nonzero_or(s, kDefaultX);
    m_y = nonzero_or(s + (s >> 3), kDefaultY);
    m_z = nonzero_or(s + (s >> 5), kDefaultZ);
    m_w = nonzero_or(s * 129u, kDefaultW);
}

uint32_t Xorshift128::seed_for_time(const std::tm& utc) {
    const uint32_t sum = static_cast<uint32_t>(utc.tm_sec) + static_cast<uint32_t>(utc.tm_min) +
                         static_cast<uint32_t>(utc.tm_hour) + static_cast<uint32_t>(utc.tm_mday) +
                         static_cast<uint32_t>(utc.tm_mon) + static_cast<uint32_t>(utc.tm_year);
    return sum * 1234567123u + 7654321u;
}

void Xorshift128::seed_from_current_time() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    seed(seed_for_time(utc));
}

void Xorshift128::set_state(uint32_t x, uint32_t y, uint32_t z, uint32_t w) {
    m_x = x;
    m_y = y;
    m_z = z;
    m_w = w;
}

uint32_t Xorshift128::next() {
    const uint32_t t = m_x ^ (m_x << 11);
    m_x = m_y;
    m_y = m_z;
    m_z = m_w;
    m_w = m_w ^ (m_w >> 19) ^ t ^ (t >> 8);
    return m_w;
}

int32_t Xorshift128::next_int(int32_t min, int32_t max) {
    const uint64_t range = static_cast<uint64_t>(static_cast<uint32_t>(max) - static_cast<uint32_t>(min)) + 1u;
    const uint32_t offset = static_cast<uint32_t>((range * next()) >> 32);
    return static_cast<int32_t>(static_cast<uint32_t>(min) + offset);
}

float Xorshift128::next_float(float min, float max) {
    const uint32_t r = static_cast<uint32_t>((static_cast<uint64_t>(next()) * 16777217u) >> 32);
    return min + static_cast<float>(r) * (1.0f / 16777216.0f) * (max - min);
}

}  // namespace me
