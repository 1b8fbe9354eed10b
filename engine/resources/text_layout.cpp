#include "resources/text_layout.h"

#include <algorithm>
#include <cmath>

namespace me {

namespace {

struct LaidOutLine {
    float width = 0;
    size_t first_quad = 0;
    size_t quad_count = 0;
};

class TextLayouter {
public:
    TextLayouter(std::u16string_view text, const FontData& font, float wrap_width, float scale,
                 const TextPalette& palette, TextMesh& mesh)
        : m_text(text), m_font(font), m_wrap_width(wrap_width), m_scale(scale), m_palette(palette), m_mesh(mesh),
          m_color(palette[0]) {}

    void run(TextAlignment alignment);

private:
    bool wrapping() const { return m_wrap_width >= 0; }
    bool at_color_escape(size_t index) const;
    void consume_color_escapes();
    size_t word_end(size_t start) const;
    bool word_crosses_wrap_width(size_t end) const;
    void lay_out_line();
    void place_character(size_t index, size_t word_end);
    void add_quad(const Glyph& glyph);
    void end_line(size_t first_quad);
    float line_shift(const LaidOutLine& line, TextAlignment alignment) const;
    void align(TextAlignment alignment);
    void set_extents(TextAlignment alignment);

    std::u16string_view m_text;
    const FontData& m_font;
    float m_wrap_width;
    float m_scale;
    const TextPalette& m_palette;
    TextMesh& m_mesh;
    Color m_color;
    size_t m_position = 0;
    float m_x = 0;
    float m_y = 0;
    float m_widest_line = 0;
    std::vector<LaidOutLine> m_lines;
};

void TextLayouter::run(TextAlignment alignment) {
    m_mesh.quads.clear();
    while (m_position < m_text.size())
        lay_out_line();
    align(alignment);
    set_extents(alignment);
}

bool TextLayouter::at_color_escape(size_t index) const {
    return index + 1 < m_text.size() && m_text[index] == kTextColorEscape && m_text[index + 1] >= u'0' &&
           m_text[index + 1] <= u'9';
}

void TextLayouter::consume_color_escapes() {
    while (at_color_escape(m_position)) {
        m_color = m_palette[m_text[m_position + 1] - u'0'];
        m_position += 2;
    }
}

size_t TextLayouter::word_end(size_t start) const {
    if (m_text[start] <= kTextLastSpaceCode)
        return start + 1;
    size_t end = start;
    while (end < m_text.size() && m_text[end] > kTextLastSpaceCode && !at_color_escape(end))
        ++end;
    return end;
}

bool TextLayouter::word_crosses_wrap_width(size_t end) const {
    const float width = static_cast<float>(m_font.measure(m_text, m_position, end - m_position)) * m_scale;
    return wrapping() && m_x + width > m_wrap_width;
}

void TextLayouter::lay_out_line() {
    const size_t first_quad = m_mesh.quads.size();
    m_x = 0;
    bool first_word = true;
    for (;;) {
        consume_color_escapes();
        if (m_position >= m_text.size())
            break;
        if (m_text[m_position] == kTextLineFeed) {
            ++m_position;
            break;
        }
        const size_t end = word_end(m_position);
        if (!first_word && word_crosses_wrap_width(end))
            break;
        for (; m_position < end; ++m_position)
            place_character(m_position, end);
        first_word = false;
    }
    end_line(first_quad);
}

void TextLayouter::place_character(size_t index, size_t word_end) {
    const Glyph* glyph = m_font.glyph(m_text[index]);
    if (!glyph) {
        m_x += static_cast<float>(m_font.space_width) * m_scale;
        return;
    }
    add_quad(*glyph);
    int advance = glyph->x_advance;
    if (index + 1 < word_end)
        advance += m_font.kerning(m_text[index], m_text[index + 1]);
    m_x += static_cast<float>(advance) * m_scale;
}

void TextLayouter::add_quad(const Glyph& glyph) {
    const float texture_width = static_cast<float>(std::max(m_font.texture_width, 1));
    const float texture_height = static_cast<float>(std::max(m_font.texture_height, 1));
    TextQuad quad;
    quad.red = m_color.red * m_color.alpha;
    quad.green = m_color.green * m_color.alpha;
    quad.blue = m_color.blue * m_color.alpha;
    quad.alpha = m_color.alpha;
    quad.left = m_x + static_cast<float>(glyph.x_offset) * m_scale;
    quad.right = quad.left + static_cast<float>(glyph.width) * m_scale;
    quad.top = m_y + static_cast<float>(glyph.y_offset) * m_scale;
    quad.bottom = quad.top + static_cast<float>(glyph.height) * m_scale;
    quad.left_u = static_cast<float>(glyph.x) / texture_width;
    quad.right_u = static_cast<float>(glyph.x + glyph.width) / texture_width;
    quad.top_v = static_cast<float>(glyph.y) / texture_height;
    quad.bottom_v = static_cast<float>(glyph.y + glyph.height) / texture_height;
    m_mesh.quads.push_back(quad);
}

void TextLayouter::end_line(size_t first_quad) {
    m_lines.push_back({m_x, first_quad, m_mesh.quads.size() - first_quad});
    m_widest_line = std::max(m_widest_line, m_x);
    m_y += static_cast<float>(m_font.line_height) * m_scale;
}

float TextLayouter::line_shift(const LaidOutLine& line, TextAlignment alignment) const {
    const float box = wrapping() ? std::max(line.width, m_wrap_width) : m_widest_line;
    switch (alignment) {
    case TextAlignment::Right:
        return std::floor(box - line.width);
    case TextAlignment::Centre:
        return std::floor((box - line.width) * 0.5f);
    default:
        return 0;
    }
}

void TextLayouter::align(TextAlignment alignment) {
    for (const LaidOutLine& line : m_lines) {
        const float shift = line_shift(line, alignment);
        for (size_t i = line.first_quad; i < line.first_quad + line.quad_count; ++i) {
            m_mesh.quads[i].left += shift;
            m_mesh.quads[i].right += shift;
        }
    }
}

void TextLayouter::set_extents(TextAlignment alignment) {
    const bool aligned_in_wrap_width =
        wrapping() && (alignment == TextAlignment::Right || alignment == TextAlignment::Centre);
    m_mesh.box_width = wrapping() ? m_wrap_width : m_widest_line;
    m_mesh.box_height = m_y;
    m_mesh.content_width = aligned_in_wrap_width ? std::max(m_widest_line, m_wrap_width) : m_widest_line;
    m_mesh.content_height = m_y;
}

}  // namespace

void layout_text(std::u16string_view text, const FontData& font, float wrap_width, TextAlignment alignment,
                 float scale, const TextPalette& palette, TextMesh& mesh) {
    TextLayouter(text, font, wrap_width, scale, palette, mesh).run(alignment);
}

const TextPalette& application_text_palette() {
    static const TextPalette kWhite{};
    return g_application ? g_application->text_colors : kWhite;
}

}  // namespace me
