// Decoding cost of texture files, reported per megapixel so that sizes compare.
#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "image/jpeg_decoder.h"
#include "image/png_decoder.h"
#include "image/png_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Smooth gradients with some texture: closer to game art than noise (which
// does not compress) or flat colour (which compresses to nothing).
Bytes picture(int side, int channels) {
    Bytes pixels(static_cast<size_t>(side) * static_cast<size_t>(side) * static_cast<size_t>(channels));
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            for (int c = 0; c < channels; ++c)
                pixels[(static_cast<size_t>(y) * static_cast<size_t>(side) + static_cast<size_t>(x)) *
                           static_cast<size_t>(channels) + static_cast<size_t>(c)] =
                    static_cast<uint8_t>((x * (c + 1) + y * 3 + ((x ^ y) & 7)) & 0xFF);
    return pixels;
}

Bytes png_of(int side) {
    me::PngLayout layout;
    layout.width = static_cast<uint32_t>(side);
    layout.height = static_cast<uint32_t>(side);
    auto encoded = me::encode_png(layout, picture(side, 4));
    return encoded ? encoded.value() : Bytes{};
}

Bytes jpeg_of(int side) {
    const Bytes rgb = picture(side, 3);
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(side);
    info.image_height = static_cast<JDIMENSION>(side);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    const size_t row_bytes = static_cast<size_t>(side) * 3;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.data() + static_cast<size_t>(info.next_scanline) * row_bytes);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes file(buffer, buffer + size);
    std::free(buffer);
    return file;
}

void report_megapixels(benchmark::State& state, int side) {
    const double megapixels = static_cast<double>(side) * side / 1e6;
    state.counters["s_per_megapixel"] = benchmark::Counter(
        megapixels * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_DecodePngRgba(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const Bytes file = png_of(side);
    for (auto _ : state) {
        auto image = me::decode_png(file);
        if (!image) {
            state.SkipWithError(image.error().c_str());
            break;
        }
        benchmark::DoNotOptimize(image.value().pixels());
    }
    report_megapixels(state, side);
}
BENCHMARK(BM_DecodePngRgba)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);

void BM_DecodePngPacked4444(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const Bytes file = png_of(side);
    for (auto _ : state) {
        auto image = me::decode_png_packed(file, me::TextureBits::Packed16, true);
        if (!image) {
            state.SkipWithError(image.error().c_str());
            break;
        }
        benchmark::DoNotOptimize(image.value().pixels());
    }
    report_megapixels(state, side);
}
BENCHMARK(BM_DecodePngPacked4444)->Arg(1024)->Unit(benchmark::kMillisecond);

void BM_DecodeJpeg(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const Bytes file = jpeg_of(side);
    for (auto _ : state) {
        auto image = me::decode_jpeg(file);
        if (!image) {
            state.SkipWithError(image.error().c_str());
            break;
        }
        benchmark::DoNotOptimize(image.value().pixels());
    }
    report_megapixels(state, side);
}
BENCHMARK(BM_DecodeJpeg)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
