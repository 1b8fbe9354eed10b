#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace me {

// One glyph of the font's page, in texture pixels. An absent glyph has
// width -1; first_kerning is the index of its first kerning pair or -1.
struct Glyph {
    int16_t x = 0;
    int16_t y = 0;
    int16_t width = -1;
    int16_t height = 0;
    int16_t x_offset = 0;
    int16_t y_offset = 0;
    int16_t x_advance = 0;
    int16_t first_kerning = -1;

    bool present() const { return width >= 0; }
};

struct KerningPair {
    uint16_t first = 0;
    uint16_t second = 0;
    int16_t amount = 0;
};

// What a font descriptor says about its glyphs, kerning and page: everything
// of a font but its texture.
class FontData {
public:
    static constexpr int kGlyphsPerPage = 256;
    static constexpr int kPageCount = 256;
    static constexpr int kMaxGlyphCode = kGlyphsPerPage * kPageCount - 1;
    // Glyphs keep the index of their first pair in 16 signed bits.
    static constexpr int kMaxKerningPairs = INT16_MAX;
    static constexpr int kSpaceCode = 32;

    // Stores the glyph of a code, replacing any earlier one; false, and
    // nothing stored, for a code outside 0 … kMaxGlyphCode.
    bool set_glyph(int code, const Glyph& glyph);
    Glyph* mutable_glyph(int code);

    // The present glyph of a code, or null for codes the font does not have.
    const Glyph* glyph(int code) const;
    // The kerning between two codes: 0 unless the first glyph's block of
    // pairs holds one for the second code.
    int kerning(int first, int second) const;
    // The advance of text[start, start + count) in font pixels, kerning
    // between neighbours included.
    int measure(std::u16string_view text, size_t start, size_t count) const;
    // How far a character moves the pen: its advance, or the space width for
    // codes without a glyph.
    int advance_of(int code) const;

    int glyph_count() const;
    // Calls visit(code, glyph) for every present glyph in code order.
    template <typename Visitor>
    void for_each_glyph(Visitor&& visit) const {
        for (int page = 0; page < kPageCount; ++page)
            for (size_t entry = 0; entry < m_pages[page].size(); ++entry)
                if (m_pages[page][entry].present())
                    visit(page * kGlyphsPerPage + static_cast<int>(entry), m_pages[page][entry]);
    }

    std::vector<KerningPair> kerning_pairs;
    int line_height = 0;
    int base = 0;
    int texture_width = 0;
    int texture_height = 0;
    int space_width = 0;
    // The "file" of the descriptor's page line; the texture itself is found
    // by the descriptor's own path.
    std::string page_file;

private:
    // A page is allocated when its first glyph arrives.
    std::array<std::vector<Glyph>, kPageCount> m_pages;
};

}  // namespace me
