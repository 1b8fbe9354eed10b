#pragma once

#include <bit>
#include <cstdint>

#include "core/fixed.h"

namespace me::clip {

enum class ClipChannelType : int32_t { Float = 0, Int = 1, Fixed = 2 };

// One animated value of a clip. Its column is the cell of each key row that
// holds it, or -1 for a channel that always yields its constant. A cell holds
// a float's bits or a 32-bit integer, as the type says.
struct ClipChannel {
    ClipChannelType type = ClipChannelType::Float;
    int32_t column = -1;
    uint32_t constant = 0;
};

// Where a time falls between two keys.
struct ClipSample {
    int32_t key = 0;
    int32_t next_key = 0;
    float fraction = 0.0f;
    Fixed fixed_fraction = 0;
};

inline uint32_t cell_of_float(float value) { return std::bit_cast<uint32_t>(value); }
inline float float_of_cell(uint32_t cell) { return std::bit_cast<float>(cell); }
inline uint32_t cell_of_int(int32_t value) { return static_cast<uint32_t>(value); }
inline int32_t int_of_cell(uint32_t cell) { return static_cast<int32_t>(cell); }

}  // namespace me::clip
