// Fuzz target for the three texture file loaders: every input goes through
// the PNG decoder (8-bit and packed), the JPEG decoder and the DDS parser.
// A loader may refuse an input, but must give a reason and must not touch
// memory outside the input or its own buffers.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "image/dds_file.h"
#include "image/jpeg_decoder.h"
#include "image/png_decoder.h"

namespace {

template <typename Result>
void require_reason_for_refusal(const Result& result) {
    if (!result.ok() && result.error().empty()) std::abort();
}

void check_png(std::span<const uint8_t> file) {
    auto image = me::decode_png(file);
    require_reason_for_refusal(image);
    if (image && image.value().byte_size() != image.value().row_bytes() * static_cast<size_t>(image.value().row_count()))
        std::abort();
    require_reason_for_refusal(me::decode_png_packed(file, me::TextureBits::Packed16OneBitAlpha, true));
}

void check_dds(std::span<const uint8_t> file) {
    auto texture = me::parse_dds(file);
    require_reason_for_refusal(texture);
    if (!texture) return;
    for (const me::DdsSurface& surface : texture.value().surfaces)
        if (surface.offset > file.size() || surface.size > file.size() - surface.offset) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> file(data, size);
    check_png(file);
    require_reason_for_refusal(me::decode_jpeg(file));
    check_dds(file);
    return 0;
}
