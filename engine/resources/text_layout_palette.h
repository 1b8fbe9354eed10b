#pragma once

#include "resources/text_layout.h"

namespace me {

// The palette that System.set_text_color fills: the application's, or all
// opaque white while there is no application.
const TextPalette& application_text_palette();

}  // namespace me
