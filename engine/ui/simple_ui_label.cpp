#include "ui/simple_ui_label.h"

#include <algorithm>
#include <cmath>

#include "resources/scene_text.h"
#include "resources/text_drawing.h"

namespace me::simpleui {

const ClassRecord SimpleUILabel::kClassRecord{"SimpleUILabel", &SimpleUIWidget::kClassRecord};

namespace {

constexpr const char* kFontName = "system";


// Where text of `used` length starts in `room`: at the start, the end or the
// middle, on whole pixels.
float align_start(float room, float used, int where) {
    if (where > 0)
        return std::floor(room - used);
    if (where == 0)
        return std::floor((room - used) / 2.0f);
    return 0.0f;
}

int horizontal_sign(TextAlignment alignment) {
    switch (alignment) {
    case TextAlignment::Left:
        return -1;
    case TextAlignment::Right:
        return 1;
    default:
        return 0;
    }
}

int vertical_sign(SimpleUILabel::Vertical vertical) {
    switch (vertical) {
    case SimpleUILabel::Vertical::Top:
        return -1;
    case SimpleUILabel::Vertical::Bottom:
        return 1;
    default:
        return 0;
    }
}

}  // namespace

SimpleUILabel::SimpleUILabel() : m_font(load_font(kFontName)) { set_void(true); }

void SimpleUILabel::set_text(const std::string& text) {
    m_text = utf8_to_utf16(text);
    m_valid = false;
}

void SimpleUILabel::set_alignment(int horizontal, int vertical) {
    m_horizontal = horizontal < 0 ? TextAlignment::Left : horizontal > 0 ? TextAlignment::Right : TextAlignment::Centre;
    m_vertical = vertical < 0 ? Vertical::Top : vertical > 0 ? Vertical::Bottom : Vertical::Centre;
    m_valid = false;
}

void SimpleUILabel::set_wrap(bool wrap) {
    m_wrap = wrap;
    m_valid = false;
}

void SimpleUILabel::set_shadow(bool shadow, Vec2 offset) {
    m_shadow = shadow;
    m_shadow_offset = offset;
}

void SimpleUILabel::init() { mesh(); }

const TextMesh& SimpleUILabel::mesh() {
    if (m_valid && m_laid_out_width == wrap_width())
        return m_mesh;
    m_laid_out_width = wrap_width();
    if (m_font)
        m_font->layout(m_text, m_laid_out_width, m_horizontal, 1.0f, m_mesh);
    else
        m_mesh = TextMesh{};
    m_valid = true;
    return m_mesh;
}

void SimpleUILabel::draw_content(QuadBatch& batch, const Matrix2d& transform, float alpha) {
    const TextMesh& text = mesh();
    if (!m_font || text.quads.empty())
        return;
    const Vec2 room = frame_size();
    const Vec2 used{text.content_width, text.content_height};
    const float scale = shrink_to_fit(room, used);
    const Vec2 start{align_start(room.x, used.x * scale, horizontal_sign(m_horizontal)) + m_offset.x,
                     align_start(room.y, used.y * scale, vertical_sign(m_vertical)) + m_offset.y};
    if (m_shadow) {
        const Vec2 at{start.x + m_shadow_offset.x * scale, start.y + m_shadow_offset.y * scale};
        draw_text(batch, *m_font.get(), text, Matrix2d{scale, 0.0f, 0.0f, scale, at.x, at.y}.then(transform),
                  Color{0.0f, 0.0f, 0.0f, alpha});
    }
    draw_text(batch, *m_font.get(), text, Matrix2d{scale, 0.0f, 0.0f, scale, start.x, start.y}.then(transform),
              premultiplied_color(alpha));
}

}  // namespace me::simpleui
