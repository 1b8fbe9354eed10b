#include "font/font_rasterizer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace me::font_tool {

namespace {

struct LibraryCloser {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceCloser {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using LibraryHandle = std::unique_ptr<FT_LibraryRec_, LibraryCloser>;
using FaceHandle = std::unique_ptr<FT_FaceRec_, FaceCloser>;

struct FaceWithLibrary {
    LibraryHandle library;
    FaceHandle face;
};

std::string describe(FT_Error code) {
    const char* text = FT_Error_String(code);
    return text ? text : "FreeType error " + std::to_string(code);
}

int rounded_pixels(FT_Pos value) {
    return static_cast<int>((value + 32) >> 6);
}

int ceiled_pixels(FT_Pos value) {
    return static_cast<int>((value + 63) >> 6);
}

std::optional<FaceWithLibrary> open_face(const std::string& path, int pixel_size, std::string& error) {
    std::error_code status;
    if (!std::filesystem::is_regular_file(path, status)) {
        error = "cannot open font file '" + path + "'";
        return std::nullopt;
    }
    FaceWithLibrary opened;
    FT_Library library = nullptr;
    if (const FT_Error code = FT_Init_FreeType(&library)) {
        error = "cannot start FreeType: " + describe(code);
        return std::nullopt;
    }
    opened.library.reset(library);
    FT_Face face = nullptr;
    if (const FT_Error code = FT_New_Face(library, path.c_str(), 0, &face)) {
        error = "cannot read font file '" + path + "': " + describe(code);
        return std::nullopt;
    }
    opened.face.reset(face);
    if (const FT_Error code = FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixel_size))) {
        error = "the font cannot be rendered at " + std::to_string(pixel_size) + " pixels: " + describe(code);
        return std::nullopt;
    }
    return opened;
}

uint8_t coverage_at(const FT_Bitmap& bitmap, const unsigned char* row, unsigned x) {
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
        return ((row[x / 8] >> (7 - x % 8)) & 1) ? 255 : 0;
    const unsigned levels = bitmap.num_grays > 1 ? bitmap.num_grays - 1u : 255u;
    return static_cast<uint8_t>(row[x] * 255u / levels);
}

bool copy_coverage(const FT_Bitmap& bitmap, RenderedGlyph& glyph, std::string& error) {
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && bitmap.pixel_mode != FT_PIXEL_MODE_MONO) {
        error = "glyph " + std::to_string(glyph.code) + " has a bitmap format other than grey or mono";
        return false;
    }
    glyph.width = static_cast<int>(bitmap.width);
    glyph.height = static_cast<int>(bitmap.rows);
    glyph.coverage.resize(static_cast<size_t>(glyph.width) * static_cast<size_t>(glyph.height));
    const unsigned stride = static_cast<unsigned>(std::abs(bitmap.pitch));
    for (unsigned y = 0; y < bitmap.rows; ++y) {
        const unsigned stored_row = bitmap.pitch >= 0 ? y : bitmap.rows - 1 - y;
        const unsigned char* row = bitmap.buffer + static_cast<size_t>(stored_row) * stride;
        for (unsigned x = 0; x < bitmap.width; ++x)
            glyph.coverage[static_cast<size_t>(y) * bitmap.width + x] = coverage_at(bitmap, row, x);
    }
    return true;
}

std::optional<RenderedGlyph> render_glyph(FT_Face face, int code, FT_UInt index, int base, std::string& error) {
    if (const FT_Error status = FT_Load_Glyph(face, index, FT_LOAD_RENDER)) {
        error = "cannot render glyph " + std::to_string(code) + ": " + describe(status);
        return std::nullopt;
    }
    const FT_GlyphSlot slot = face->glyph;
    RenderedGlyph glyph;
    glyph.code = code;
    glyph.x_offset = slot->bitmap_left;
    glyph.y_offset = base - slot->bitmap_top;
    glyph.x_advance = rounded_pixels(slot->advance.x);
    if (!copy_coverage(slot->bitmap, glyph, error))
        return std::nullopt;
    return glyph;
}

void add_kerning(FT_Face face, const std::vector<FT_UInt>& indices, RenderedFont& font) {
    if (!FT_HAS_KERNING(face))
        return;
    for (size_t first = 0; first < indices.size(); ++first) {
        for (size_t second = 0; second < indices.size(); ++second) {
            FT_Vector delta{};
            if (FT_Get_Kerning(face, indices[first], indices[second], FT_KERNING_DEFAULT, &delta) != 0)
                continue;
            const int amount = rounded_pixels(delta.x);
            if (amount == 0)
                continue;
            if (font.kerning.size() == kMaxKerningPairs) {
                font.kerning_truncated = true;
                return;
            }
            font.kerning.push_back({font.glyphs[first].code, font.glyphs[second].code, amount});
        }
    }
}

}  // namespace

std::optional<RenderedFont> rasterize_font(const std::string& font_path, int pixel_size,
                                           const std::vector<int>& codes, std::string& error) {
    auto opened = open_face(font_path, pixel_size, error);
    if (!opened)
        return std::nullopt;
    FT_Face face = opened->face.get();
    RenderedFont font;
    font.family = face->family_name ? face->family_name : "";
    font.pixel_size = pixel_size;
    font.line_height = ceiled_pixels(face->size->metrics.height);
    font.base = ceiled_pixels(face->size->metrics.ascender);
    std::vector<FT_UInt> indices;
    for (const int code : codes) {
        const FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(code));
        if (index == 0) {
            font.missing_codes.push_back(code);
            continue;
        }
        auto glyph = render_glyph(face, code, index, font.base, error);
        if (!glyph)
            return std::nullopt;
        font.glyphs.push_back(std::move(*glyph));
        indices.push_back(index);
    }
    add_kerning(face, indices, font);
    return font;
}

}  // namespace me::font_tool
