#pragma once

#include <string_view>

namespace me {

// A modal error box with an OK button. With QUILLMOOR_NO_MESSAGE_BOX set, or
// without a display, the title and text go to standard error instead, so that
// tests and servers never block on a dialog.
void show_error_message_box(std::string_view title, std::string_view text);

// True when a box would go to standard error.
bool message_boxes_go_to_stderr();

}  // namespace me
