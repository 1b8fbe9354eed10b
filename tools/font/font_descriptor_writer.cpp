#include "font/font_descriptor_writer.h"

#include <algorithm>
#include <sstream>

namespace me::font_tool {

namespace {

// Quoted values end at the next double quote, so the name must not hold one.
std::string quotable(std::string text) {
    std::replace(text.begin(), text.end(), '"', '\'');
    return text;
}

void write_glyph(std::ostream& out, const RenderedGlyph& glyph) {
    out << "char id=" << glyph.code << " x=" << glyph.x << " y=" << glyph.y << " width=" << glyph.width
        << " height=" << glyph.height << " xoffset=" << glyph.x_offset << " yoffset=" << glyph.y_offset
        << " xadvance=" << glyph.x_advance << " page=0 chnl=15\n";
}

}  // namespace

std::string font_descriptor_text(const RenderedFont& font, PageSize page, const std::string& page_file) {
    std::ostringstream out;
    out << "info face=\"" << quotable(font.family) << "\" size=" << font.pixel_size
        << " unicode=1 padding=0,0,0,0 spacing=" << kGlyphSpacing << ',' << kGlyphSpacing << '\n';
    out << "common lineHeight=" << font.line_height << " base=" << font.base << " scaleW=" << page.width
        << " scaleH=" << page.height << " pages=1 packed=0\n";
    out << "page id=0 file=\"" << quotable(page_file) << "\"\n";
    out << "chars count=" << font.glyphs.size() << '\n';
    for (const RenderedGlyph& glyph : font.glyphs)
        write_glyph(out, glyph);
    if (!font.kerning.empty()) {
        out << "kernings count=" << font.kerning.size() << '\n';
        for (const RenderedKerning& pair : font.kerning)
            out << "kerning first=" << pair.first << " second=" << pair.second << " amount=" << pair.amount << '\n';
    }
    return out.str();
}

}  // namespace me::font_tool
