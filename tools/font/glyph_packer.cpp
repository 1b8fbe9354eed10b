#include "font/glyph_packer.h"

#include <algorithm>
#include <cstdlib>

namespace me::font_tool {

namespace {

constexpr int kSmallestPageSide = 16;

// Shelves filled left to right, tallest glyphs first.
bool place_on_shelves(const std::vector<RenderedGlyph*>& tallest_first, PageSize page) {
    int x = kGlyphSpacing;
    int y = kGlyphSpacing;
    int shelf_height = 0;
    for (RenderedGlyph* glyph : tallest_first) {
        if (x + glyph->width + kGlyphSpacing > page.width) {
            y += shelf_height + kGlyphSpacing;
            x = kGlyphSpacing;
            shelf_height = 0;
        }
        if (x + glyph->width + kGlyphSpacing > page.width || y + glyph->height + kGlyphSpacing > page.height)
            return false;
        glyph->x = x;
        glyph->y = y;
        x += glyph->width + kGlyphSpacing;
        shelf_height = std::max(shelf_height, glyph->height);
    }
    return true;
}

// Every power-of-two page up to max_side, smallest area first and, of equal
// areas, the squarer and then the wider one first.
std::vector<PageSize> candidate_pages(int max_side) {
    std::vector<PageSize> pages;
    for (int width = kSmallestPageSide; width <= max_side; width *= 2)
        for (int height = kSmallestPageSide; height <= max_side; height *= 2)
            pages.push_back({width, height});
    std::sort(pages.begin(), pages.end(), [](PageSize a, PageSize b) {
        const long area_a = static_cast<long>(a.width) * a.height;
        const long area_b = static_cast<long>(b.width) * b.height;
        if (area_a != area_b)
            return area_a < area_b;
        const int skew_a = std::abs(a.width - a.height);
        const int skew_b = std::abs(b.width - b.height);
        return skew_a != skew_b ? skew_a < skew_b : a.width > b.width;
    });
    return pages;
}

}  // namespace

std::optional<PageSize> pack_glyphs(std::vector<RenderedGlyph>& glyphs, int max_side) {
    std::vector<RenderedGlyph*> tallest_first;
    for (RenderedGlyph& glyph : glyphs) {
        glyph.x = 0;
        glyph.y = 0;
        if (glyph.width > 0 && glyph.height > 0)
            tallest_first.push_back(&glyph);
    }
    std::stable_sort(tallest_first.begin(), tallest_first.end(),
                     [](const RenderedGlyph* a, const RenderedGlyph* b) { return a->height > b->height; });
    for (const PageSize page : candidate_pages(max_side)) {
        if (place_on_shelves(tallest_first, page))
            return page;
    }
    return std::nullopt;
}

}  // namespace me::font_tool
