#include "resources/text_layout_palette.h"

namespace me {

const TextPalette& application_text_palette() {
    static const TextPalette kWhite{};
    return g_application ? g_application->text_colors : kWhite;
}

}  // namespace me
