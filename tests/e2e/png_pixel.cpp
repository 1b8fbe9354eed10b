// png_pixel FILE.png X Y: prints the picture's size and the RGBA values of
// one pixel as "WIDTH HEIGHT R G B A", so that an end-to-end case can check
// what a screenshot shows. Exits with 1, saying why on standard error, when
// the file cannot be read or decoded or the pixel lies outside the picture.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "image/png_decoder.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: png_pixel FILE.png X Y\n");
        return 1;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    auto decoded = me::decode_png(bytes);
    if (!decoded) {
        std::fprintf(stderr, "png_pixel: cannot decode '%s': %s\n", argv[1], decoded.error().c_str());
        return 1;
    }
    const me::Image& image = decoded.value();
    const int x = std::atoi(argv[2]);
    const int y = std::atoi(argv[3]);
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) {
        std::fprintf(stderr, "png_pixel: (%d, %d) lies outside the %dx%d picture\n", x, y, image.width(),
                     image.height());
        return 1;
    }
    const me::Rgba pixel = image.get_pixel(x, y);
    std::printf("%d %d %d %d %d %d\n", image.width(), image.height(), pixel.r, pixel.g, pixel.b, pixel.a);
    return 0;
}
