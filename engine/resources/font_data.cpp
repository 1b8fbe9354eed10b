#include "resources/font_data.h"

#include <algorithm>
#include <utility>

namespace me {

namespace {

bool code_in_range(int code) {
    return code >= 0 && code <= FontData::kMaxGlyphCode;
}

}  // namespace

bool FontData::set_glyph(int code, const Glyph& glyph) {
    if (!code_in_range(code))
        return false;
    std::vector<Glyph>& page = m_pages[code / kGlyphsPerPage];
    if (page.empty())
        page.resize(kGlyphsPerPage);
    page[code % kGlyphsPerPage] = glyph;
    return true;
}

Glyph* FontData::mutable_glyph(int code) {
    return const_cast<Glyph*>(std::as_const(*this).glyph(code));
}

const Glyph* FontData::glyph(int code) const {
    if (!code_in_range(code))
        return nullptr;
    const std::vector<Glyph>& page = m_pages[code / kGlyphsPerPage];
    if (page.empty() || !page[code % kGlyphsPerPage].present())
        return nullptr;
    return &page[code % kGlyphsPerPage];
}

int FontData::kerning(int first, int second) const {
    const Glyph* glyph_of_first = glyph(first);
    if (!glyph_of_first || glyph_of_first->first_kerning < 0)
        return 0;
    for (size_t i = static_cast<size_t>(glyph_of_first->first_kerning);
         i < kerning_pairs.size() && kerning_pairs[i].first == first; ++i) {
        if (kerning_pairs[i].second == second)
            return kerning_pairs[i].amount;
    }
    return 0;
}

int FontData::advance_of(int code) const {
    const Glyph* found = glyph(code);
    return found ? found->x_advance : space_width;
}

int FontData::measure(std::u16string_view text, size_t start, size_t count) const {
    if (start >= text.size())
        return 0;
    const size_t end = start + std::min(count, text.size() - start);
    int width = 0;
    for (size_t i = start; i < end; ++i) {
        width += advance_of(text[i]);
        if (i + 1 < end && glyph(text[i]))
            width += kerning(text[i], text[i + 1]);
    }
    return width;
}

int FontData::glyph_count() const {
    int count = 0;
    for_each_glyph([&count](int, const Glyph&) { ++count; });
    return count;
}

}  // namespace me
