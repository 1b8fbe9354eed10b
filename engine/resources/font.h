#pragma once

#include <string>
#include <string_view>

#include "core/resource_ref.h"
#include "resources/font_data.h"
#include "resources/resource_object.h"
#include "resources/text_layout.h"
#include "resources/texture.h"

namespace me {

// The "font" resource: a bitmap font read from a text descriptor (glyphs,
// kerning, line height) with the texture that holds its glyph images. The
// texture is the one named by the descriptor path with "png" in place of its
// three-letter extension, loaded through g_texture_defs.
class Font : public ResourceObject {
public:
    static const ClassRecord kClassRecord;

    Font();
    const ClassRecord& class_record() const override { return kClassRecord; }
    bool load() override;

    const FontData& data() const { return m_data; }
    // Null until the font has loaded.
    Texture* texture() const { return m_texture.get(); }

    // Lays text out with the text colour palette that scripts set through
    // System.set_text_color; see layout_text for wrapping and alignment.
    void layout(std::u16string_view text, float wrap_width, TextAlignment alignment, float scale,
                TextMesh& mesh) const;

private:
    bool load_texture_of(const std::string& descriptor_path);
    bool read_descriptor(const std::string& descriptor_path);

    FontData m_data;
    ResourceRef<Texture> m_texture;
};

// A font by name from g_font_defs, or null after logging why.
ResourceRef<Font> load_font(const std::string& name);

}  // namespace me
