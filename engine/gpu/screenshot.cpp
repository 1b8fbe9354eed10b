#include "gpu/screenshot.h"

#include <GL/glew.h>
#include <SDL.h>

#include <algorithm>
#include <vector>

#include "core/log.h"
#include "core/paths.h"
#include "gpu/render_device.h"
#include "image/png_writer.h"

namespace me {
namespace {

struct WindowPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // top row first
};

bool leaves_save_directory(const std::string& name) {
    return name.find("..") != std::string::npos || name.find(':') != std::string::npos || name.front() == '/' ||
           name.front() == '\\';
}

// The buffer frames are drawn into. Reading the front buffer would be the
// obvious way to get what the window shows, but Mesa's software driver under
// Xvfb reads it back black; the swap copies the back buffer to the window and
// leaves its content in place, so until the next frame clears it, the back
// buffer holds the presented frame. SDL's offscreen surface has one buffer
// only, which this names as well.
GLenum drawn_buffer() {
    GLint drawn = GL_BACK;
    glGetIntegerv(GL_DRAW_BUFFER, &drawn);
    return static_cast<GLenum>(drawn);
}

// Reads the presented frame of the current window; empty without a window.
WindowPicture read_window_picture() {
    WindowPicture frame;
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    if (window == nullptr)
        return frame;
    SDL_GL_GetDrawableSize(window, &frame.width, &frame.height);
    const size_t row_bytes = static_cast<size_t>(frame.width) * 4;
    std::vector<uint8_t> bottom_up(row_bytes * static_cast<size_t>(frame.height));
    GLint read_buffer = GL_BACK;
    GLint alignment = 4;
    glGetIntegerv(GL_READ_BUFFER, &read_buffer);
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glReadBuffer(drawn_buffer());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, frame.width, frame.height, GL_RGBA, GL_UNSIGNED_BYTE, bottom_up.data());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    glReadBuffer(static_cast<GLenum>(read_buffer));
    frame.rgba.resize(bottom_up.size());
    for (int y = 0; y < frame.height; ++y)
        std::copy_n(bottom_up.begin() + static_cast<ptrdiff_t>(row_bytes * static_cast<size_t>(frame.height - 1 - y)),
                    row_bytes, frame.rgba.begin() + static_cast<ptrdiff_t>(row_bytes * static_cast<size_t>(y)));
    // What the window shows is opaque, whatever alpha the clear colour left.
    for (size_t alpha = 3; alpha < frame.rgba.size(); alpha += 4)
        frame.rgba[alpha] = 255;
    return frame;
}

}  // namespace

std::optional<std::string> screenshot_path(const std::string& file_name) {
    if (file_name.empty() || leaves_save_directory(file_name))
        return std::nullopt;
    return paths::save_file(file_name);
}

bool save_screenshot(const std::string& file_name) {
    const std::optional<std::string> path = screenshot_path(file_name);
    if (!path) {
        log_error(format_message("Can't save screenshot '%1': invalid file name.", file_name));
        return false;
    }
    if (g_render_device == nullptr || !g_render_device->has_gl_context()) {
        log_error(format_message("Can't save screenshot '%1': no OpenGL context.", file_name));
        return false;
    }
    // The window's own buffers are read, not a frame-buffer object's.
    g_render_device->set_frame_buffer(nullptr);
    const WindowPicture frame = read_window_picture();
    if (frame.width <= 0 || frame.height <= 0) {
        log_error(format_message("Can't save screenshot '%1': no window.", file_name));
        return false;
    }
    paths::create_directories(*path);
    return write_png(*path, frame.width, frame.height, frame.rgba);
}

}  // namespace me
