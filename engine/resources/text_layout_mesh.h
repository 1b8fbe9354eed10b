#pragma once

#include <vector>

namespace me {

// One drawn glyph: premultiplied colour, destination rectangle in layout
// pixels (y down) and source rectangle in texture coordinates.
struct TextQuad {
    float red = 0, green = 0, blue = 0, alpha = 0;
    float left = 0, top = 0, right = 0, bottom = 0;
    float left_u = 0, top_v = 0, right_u = 0, bottom_v = 0;
};

// Laid-out text ready for the quad batch. The box is the area alignment
// works in; the content is what the text covers.
struct TextMesh {
    std::vector<TextQuad> quads;
    float box_width = 0;
    float box_height = 0;
    float content_width = 0;
    float content_height = 0;
};

}  // namespace me
