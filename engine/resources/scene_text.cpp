#include "resources/scene_text.h"

#include <utility>

namespace me {

void SceneText::set_text(std::u16string text) {
    m_text = std::move(text);
    m_dirty = true;
}

void SceneText::set_font(ResourceRef<Font> font) {
    m_font = std::move(font);
    m_dirty = true;
}

void SceneText::set_width(float width) {
    m_width = width;
    m_dirty = true;
}

void SceneText::set_scale(float scale) {
    m_scale = scale;
    m_dirty = true;
}

void SceneText::set_alignment(TextAlignment alignment) {
    m_alignment = alignment;
    m_dirty = true;
}

const TextMesh& SceneText::mesh() {
    if (!m_dirty)
        return m_mesh;
    if (m_font)
        m_font->layout(m_text, m_width, m_alignment, m_scale, m_mesh);
    else
        m_mesh = TextMesh{};
    m_dirty = false;
    return m_mesh;
}

namespace {

// The length of the sequence a lead byte starts, 0 for a byte that cannot
// start one.
size_t sequence_length(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if ((lead & 0xe0) == 0xc0)
        return 2;
    if ((lead & 0xf0) == 0xe0)
        return 3;
    if ((lead & 0xf8) == 0xf0)
        return 4;
    return 0;
}

bool decode_sequence(std::string_view text, size_t at, size_t length, char32_t& code) {
    if (length == 0 || at + length > text.size())
        return false;
    code = length == 1 ? static_cast<unsigned char>(text[at])
                       : static_cast<unsigned char>(text[at]) & (0x7f >> length);
    for (size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        if ((byte & 0xc0) != 0x80)
            return false;
        code = (code << 6) | (byte & 0x3f);
    }
    return code <= 0x10ffff;
}

void append_code_point(std::u16string& out, char32_t code) {
    if (code < 0x10000) {
        out.push_back(static_cast<char16_t>(code));
        return;
    }
    code -= 0x10000;
    out.push_back(static_cast<char16_t>(0xd800 + (code >> 10)));
    out.push_back(static_cast<char16_t>(0xdc00 + (code & 0x3ff)));
}

}  // namespace

std::u16string utf8_to_utf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        const size_t length = sequence_length(static_cast<unsigned char>(text[at]));
        char32_t code = 0;
        if (decode_sequence(text, at, length, code)) {
            append_code_point(out, code);
            at += length;
        } else {
            out.push_back(static_cast<unsigned char>(text[at]));
            ++at;
        }
    }
    return out;
}

TextAlignment text_alignment_from_script(std::string_view code) {
    if (code == "c")
        return TextAlignment::Centre;
    if (code == "r")
        return TextAlignment::Right;
    return TextAlignment::Left;
}

}  // namespace me
