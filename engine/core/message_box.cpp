#include "core/message_box.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace me {

namespace {

bool environment_has(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

void write_to_stderr(std::string_view title, std::string_view text) {
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(),
                 static_cast<int>(text.size()), text.data());
    std::fflush(stderr);
}

}  // namespace

bool message_boxes_go_to_stderr() {
    if (std::getenv("QUILLMOOR_NO_MESSAGE_BOX") != nullptr)
        return true;
    return !environment_has("DISPLAY") && !environment_has("WAYLAND_DISPLAY");
}

void show_error_message_box(std::string_view title, std::string_view text) {
    if (message_boxes_go_to_stderr()) {
        write_to_stderr(title, text);
        return;
    }
    const std::string title_z(title);
    const std::string text_z(text);
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title_z.c_str(), text_z.c_str(), nullptr) != 0)
        write_to_stderr(title, text);
}

}  // namespace me
