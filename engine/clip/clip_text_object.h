#pragma once

#include <string>

#include "clip/clip_object.h"
#include "resources/scene_text.h"

namespace me::clip {

// A clip node that shows a text in a font, centred on its origin.
class ClipTextObject : public ClipObject {
public:
    static const ClassRecord kClassRecord;

    ClipTextObject() = default;
    const ClassRecord& class_record() const override { return kClassRecord; }

    void set_font(ResourceRef<Font> font) { m_text.set_font(std::move(font)); }
    // 0 left, 1 right, 2 centre; other values align left.
    void set_text_alignment(int32_t alignment) { m_text.set_alignment(static_cast<TextAlignment>(alignment)); }
    void set_text(std::u16string text) { m_text.set_text(std::move(text)); }
    // Width and height of the laid-out text, (0, 0) without a font.
    Vec2 text_size();

    void render(QuadBatch& batch, const Matrix2d* extra) override;

private:
    SceneText m_text;
};

}  // namespace me::clip
