#include "resources/font_descriptor.h"

#include <cstdint>
#include <utility>

#include "core/log_format.h"
#include "image/image.h"
#include "resources/font_descriptor_line.h"

namespace me {

namespace {

// A page larger than the engine decodes could never be drawn.
constexpr int kMaxTextureSide = Image::kMaxSide;

struct DescriptorError {
    std::string message;
};

class DescriptorParser {
public:
    FontDescriptorResult run(std::string_view text);

private:
    void read_line(std::string_view text);
    void read_common(const FontDescriptorLine& line);
    void read_page(const FontDescriptorLine& line);
    void read_char(const FontDescriptorLine& line);
    void read_kernings(const FontDescriptorLine& line);
    void read_kerning(const FontDescriptorLine& line);
    void link_kerning_to_glyph(const KerningPair& pair, size_t index);
    void finish();
    void check_glyphs_inside_texture() const;
    void choose_space_width();

    int64_t integer(const FontDescriptorLine& line, std::string_view key) const;
    int ranged(const FontDescriptorLine& line, std::string_view key, int64_t min, int64_t max) const;
    // Text from the file goes into the last placeholder of a message, where
    // it cannot take part in filling the others.
    [[noreturn]] void fail(std::string message) const { throw DescriptorError{std::move(message)}; }

    FontData m_font;
    std::vector<std::string> m_warnings;
    int m_line_number = 0;
    int64_t m_scale_width = 0;
    int64_t m_scale_height = 0;
    int64_t m_kerning_count = 0;
    bool m_kerning_count_read = false;
};

FontDescriptorResult DescriptorParser::run(std::string_view text) {
    FontDescriptorResult result;
    if (text.empty()) {
        result.error = kEmptyFontFileMessage;
        return result;
    }
    try {
        FontDescriptorLine::for_each_line(text, [this](std::string_view line) { read_line(line); });
        finish();
    } catch (const DescriptorError& error) {
        result.error = error.message;
        return result;
    }
    result.font = std::move(m_font);
    result.warnings = std::move(m_warnings);
    return result;
}

void DescriptorParser::read_line(std::string_view text) {
    ++m_line_number;
    const FontDescriptorLine line(text);
    using Reader = void (DescriptorParser::*)(const FontDescriptorLine&);
    static constexpr std::pair<std::string_view, Reader> kReaders[] = {
        {"common", &DescriptorParser::read_common},   {"page", &DescriptorParser::read_page},
        {"char", &DescriptorParser::read_char},       {"kernings", &DescriptorParser::read_kernings},
        {"kerning", &DescriptorParser::read_kerning},
    };
    for (const auto& [tag, reader] : kReaders) {
        if (line.tag() != tag)
            continue;
        if (const auto key = line.key_without_value())
            fail(format_message("Key without a value on line %1: '%2'.", m_line_number, *key));
        (this->*reader)(line);
    }
}

void DescriptorParser::read_common(const FontDescriptorLine& line) {
    if (integer(line, "pages") != 1)
        fail("Fonts support only one texture page.");
    m_font.line_height = ranged(line, "lineHeight", 0, INT16_MAX);
    m_font.base = ranged(line, "base", INT16_MIN, INT16_MAX);
    m_scale_width = integer(line, "scaleW");
    m_scale_height = integer(line, "scaleH");
}

void DescriptorParser::read_page(const FontDescriptorLine& line) {
    if (const auto file = line.value("file"))
        m_font.page_file = std::string(*file);
}

void DescriptorParser::read_char(const FontDescriptorLine& line) {
    const int64_t id = integer(line, "id");
    if (id < 0 || id > FontData::kMaxGlyphCode)
        fail(format_message("Invalid glyph id %1.", id));
    Glyph glyph;
    glyph.x = static_cast<int16_t>(ranged(line, "x", 0, kMaxTextureSide));
    glyph.y = static_cast<int16_t>(ranged(line, "y", 0, kMaxTextureSide));
    glyph.width = static_cast<int16_t>(ranged(line, "width", 0, kMaxTextureSide));
    glyph.height = static_cast<int16_t>(ranged(line, "height", 0, kMaxTextureSide));
    glyph.x_offset = static_cast<int16_t>(ranged(line, "xoffset", INT16_MIN, INT16_MAX));
    glyph.y_offset = static_cast<int16_t>(ranged(line, "yoffset", INT16_MIN, INT16_MAX));
    glyph.x_advance = static_cast<int16_t>(ranged(line, "xadvance", INT16_MIN, INT16_MAX));
    integer(line, "page");
    integer(line, "chnl");
    m_font.set_glyph(static_cast<int>(id), glyph);
}

void DescriptorParser::read_kernings(const FontDescriptorLine& line) {
    if (m_kerning_count_read)
        fail("Kerning pairs already specified!");
    const int64_t count = integer(line, "count");
    if (count < 0 || count > FontData::kMaxKerningPairs)
        fail("Invalid kerning pair count.");
    m_kerning_count = count;
    m_kerning_count_read = true;
    m_font.kerning_pairs.reserve(static_cast<size_t>(count));
}

void DescriptorParser::read_kerning(const FontDescriptorLine& line) {
    const auto in_range = [](int64_t value, int64_t min, int64_t max) { return value >= min && value <= max; };
    if (!line.value("first") || !line.value("second"))
        fail("Invalid kerning pair on input.");
    const int64_t first = integer(line, "first");
    const int64_t second = integer(line, "second");
    const int64_t amount = integer(line, "amount");
    if (!in_range(first, 0, FontData::kMaxGlyphCode) || !in_range(second, 0, FontData::kMaxGlyphCode) ||
        !in_range(amount, INT16_MIN, INT16_MAX) ||
        static_cast<int64_t>(m_font.kerning_pairs.size()) >= m_kerning_count)
        fail("Invalid kerning pair on input.");
    const KerningPair pair{static_cast<uint16_t>(first), static_cast<uint16_t>(second),
                           static_cast<int16_t>(amount)};
    m_font.kerning_pairs.push_back(pair);
    link_kerning_to_glyph(pair, m_font.kerning_pairs.size() - 1);
}

// Lookups scan a glyph's pairs from its first one while the first code
// matches, so a glyph's pairs must follow one another. Every earlier pair of
// the block was checked when it arrived, so the block is unbroken exactly
// when the pair just before this one belongs to it.
void DescriptorParser::link_kerning_to_glyph(const KerningPair& pair, size_t index) {
    Glyph* glyph = m_font.mutable_glyph(pair.first);
    if (!glyph) {
        m_warnings.emplace_back("First kerning pair glyph not found.");
        return;
    }
    if (glyph->first_kerning < 0) {
        glyph->first_kerning = static_cast<int16_t>(index);
        return;
    }
    if (m_font.kerning_pairs[index - 1].first != pair.first)
        fail("Kerning pairs are not properly blocked.");
}

void DescriptorParser::finish() {
    if (m_scale_width < 1 || m_scale_height < 1 || m_scale_width > kMaxTextureSide ||
        m_scale_height > kMaxTextureSide)
        fail("Invalid font texture size.");
    m_font.texture_width = static_cast<int>(m_scale_width);
    m_font.texture_height = static_cast<int>(m_scale_height);
    if (static_cast<int64_t>(m_font.kerning_pairs.size()) != m_kerning_count)
        fail("Invalid number of kerning pairs.");
    check_glyphs_inside_texture();
    choose_space_width();
}

void DescriptorParser::check_glyphs_inside_texture() const {
    m_font.for_each_glyph([this](int code, const Glyph& glyph) {
        if (glyph.x + glyph.width > m_font.texture_width || glyph.y + glyph.height > m_font.texture_height)
            fail(format_message("Glyph %1 lies outside the font texture.", code));
    });
}

void DescriptorParser::choose_space_width() {
    if (const Glyph* space = m_font.glyph(FontData::kSpaceCode)) {
        m_font.space_width = space->x_advance;
        return;
    }
    m_font.space_width = m_font.line_height / 2;
    m_warnings.emplace_back("Font doesn't have space character available.");
}

int64_t DescriptorParser::integer(const FontDescriptorLine& line, std::string_view key) const {
    const auto text = line.value(key);
    if (!text)
        return 0;
    const auto value = parse_descriptor_integer(*text);
    if (!value)
        fail(format_message("Key '%1' on line %2 has an invalid number: '%3'.", key, m_line_number, *text));
    return *value;
}

int DescriptorParser::ranged(const FontDescriptorLine& line, std::string_view key, int64_t min, int64_t max) const {
    const int64_t value = integer(line, key);
    if (value < min || value > max)
        fail(format_message("Value %1 of key '%2' is out of range on line %3.", value, key, m_line_number));
    return static_cast<int>(value);
}

}  // namespace

FontDescriptorResult parse_font_descriptor(std::string_view text) {
    return DescriptorParser().run(text);
}

}  // namespace me
