#pragma once

#include <string>
#include <string_view>

#include "core/resource_ref.h"
#include "resources/font.h"
#include "resources/text_layout.h"
#include "resources/text_layout_mesh.h"

namespace me {

// A text object's string, font and layout settings, laid out again only
// after one of them changed.
class SceneText {
public:
    void set_text(std::u16string text);
    void set_font(ResourceRef<Font> font);
    void set_width(float width);
    void set_scale(float scale);
    void set_alignment(TextAlignment alignment);
    const std::u16string& text() const { return m_text; }
    Font* font() const { return m_font.get(); }
    float width() const { return m_width; }
    float scale() const { return m_scale; }
    TextAlignment alignment() const { return m_alignment; }
    // The text laid out in the font, redone when stale; empty without a
    // font. Colour escapes take the palette of the moment of layout.
    const TextMesh& mesh();

private:
    std::u16string m_text;
    ResourceRef<Font> m_font;
    float m_width = -1.0f;
    float m_scale = 1.0f;
    TextAlignment m_alignment = TextAlignment::Left;
    TextMesh m_mesh;
    bool m_dirty = true;
};

// Script strings are UTF-8; text is laid out in 16-bit code units. A byte
// that does not start a valid sequence stands for itself.
std::u16string utf8_to_utf16(std::string_view text);

// "c" centres, "r" aligns right, anything else aligns left.
TextAlignment text_alignment_from_script(std::string_view code);

}  // namespace me
