#pragma once

namespace me {

// An RGBA colour with components nominally 0 … 1. Defs and scripts give
// 0 … 255 values; drawing takes colours premultiplied by alpha.
struct Color {
    float red = 1.0f;
    float green = 1.0f;
    float blue = 1.0f;
    float alpha = 1.0f;

    friend constexpr bool operator==(Color, Color) = default;
};

// Component-wise product: tints one colour by another.
constexpr Color operator*(Color a, Color b) {
    return {a.red * b.red, a.green * b.green, a.blue * b.blue, a.alpha * b.alpha};
}

}  // namespace me
