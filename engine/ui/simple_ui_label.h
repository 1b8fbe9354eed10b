#pragma once

#include <string>

#include "core/resource_ref.h"
#include "resources/font.h"
#include "resources/text_layout.h"
#include "resources/text_layout_mesh.h"
#include "ui/simple_ui_widget.h"

namespace me::simpleui {

// A widget that shows a line or block of text in the "system" font, aligned
// in its frame on both axes and shrunk (never enlarged) when it does not
// fit, optionally over a black shadow. Labels are void: pointers pass
// through them to what lies below.
class SimpleUILabel : public SimpleUIWidget {
public:
    static const ClassRecord kClassRecord;
    const ClassRecord& class_record() const override { return kClassRecord; }

    enum class Vertical : int { Top = 0, Bottom = 16, Centre = 32 };

    // Loads the "system" font; without one the label draws nothing.
    SimpleUILabel();

    // UTF-8.
    void set_text(const std::string& text);
    void set_offset(Vec2 offset) { m_offset = offset; }
    Vec2 offset() const { return m_offset; }
    // Negative, zero and positive: left, centre, right and top, centre,
    // bottom.
    void set_alignment(int horizontal, int vertical);
    TextAlignment horizontal() const { return m_horizontal; }
    Vertical vertical() const { return m_vertical; }
    // Wrapped labels break their lines at the frame's width.
    void set_wrap(bool wrap);
    void set_shadow(bool shadow, Vec2 offset);
    bool shadow() const { return m_shadow; }
    Vec2 shadow_offset() const { return m_shadow_offset; }
    Font* font() const { return m_font.get(); }

    // Lays the text out now rather than on the first draw.
    void init() override;
    // The text as it is drawn, laid out again when stale.
    const TextMesh& mesh();

protected:
    void draw_content(QuadBatch& batch, const Matrix2d& transform, float alpha) override;

private:
    float wrap_width() const { return m_wrap ? frame_width() : -1.0f; }

    ResourceRef<Font> m_font;
    std::u16string m_text;
    TextAlignment m_horizontal = TextAlignment::Centre;
    Vertical m_vertical = Vertical::Centre;
    Vec2 m_offset;
    bool m_wrap = false;
    bool m_shadow = false;
    Vec2 m_shadow_offset{1.0f, 1.0f};
    TextMesh m_mesh;
    bool m_valid = false;
    // The wrap width of the last layout: a wrapped label whose frame changed
    // width is stale.
    float m_laid_out_width = -1.0f;
};

}  // namespace me::simpleui
