#include "image/frame_finder.h"

#include <algorithm>
#include <cmath>

#include "image/pixel_convert.h"

namespace me {

namespace {

using Frames = std::vector<FrameRect>;

int run_to_separator(const Image& image, int x, int y, int step_x, int step_y) {
    int length = 0;
    while (x < image.width() && y < image.height() && !is_mask_color(image.get_pixel(x, y))) {
        ++length;
        x += step_x;
        y += step_y;
    }
    return length;
}

// Adds the frames of the row whose top edge is y; returns its tallest height.
int extract_row(const Image& image, int y, Frames& frames) {
    int tallest = 0;
    for (int x = 0; x < image.width();) {
        const int width = run_to_separator(image, x, y, 1, 0);
        const int height = run_to_separator(image, x, y, 0, 1);
        if (width == 0 || height == 0) break;
        frames.push_back({static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
                          static_cast<float>(height), 0, 0});
        tallest = std::max(tallest, height);
        x += width + 1;
    }
    return tallest;
}

}  // namespace

ImageResult<Frames> frames_of_size(int image_width, int image_height, int frame_width, int frame_height,
                                   FramePivot pivot) {
    if (frame_width <= 0 && frame_height <= 0) return ImageResult<Frames>::failure("Invalid frame size.");
    Frames frames;
    if (frame_width <= 0 || frame_height <= 0) return ImageResult<Frames>::success(std::move(frames));
    const int columns = std::max(image_width, 0) / frame_width;
    const int rows = std::max(image_height, 0) / frame_height;
    frames.reserve(static_cast<size_t>(columns) * static_cast<size_t>(rows));
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            frames.push_back({static_cast<float>(column * frame_width), static_cast<float>(row * frame_height),
                              static_cast<float>(frame_width), static_cast<float>(frame_height), pivot.x, pivot.y});
    return ImageResult<Frames>::success(std::move(frames));
}

ImageResult<Frames> frames_of_grid(int image_width, int image_height, double columns, double rows,
                                   FramePivot pivot) {
    Frames frames;
    const double whole_columns = std::floor(columns);
    const double whole_rows = std::floor(rows);
    if (!(whole_columns >= 1) || !(whole_rows >= 1)) return ImageResult<Frames>::success(std::move(frames));
    if (whole_columns > image_width || whole_rows > image_height)
        return ImageResult<Frames>::failure("Invalid grid size.");
    const int column_count = static_cast<int>(whole_columns);
    const int row_count = static_cast<int>(whole_rows);
    const float width = static_cast<float>(image_width) / static_cast<float>(column_count);
    const float height = static_cast<float>(image_height) / static_cast<float>(row_count);
    frames.reserve(static_cast<size_t>(column_count) * static_cast<size_t>(row_count));
    for (int row = 0; row < row_count; ++row)
        for (int column = 0; column < column_count; ++column)
            frames.push_back({static_cast<float>(column) * width, static_cast<float>(row) * height, width, height,
                              pivot.x, pivot.y});
    return ImageResult<Frames>::success(std::move(frames));
}

Frames extract_separated_frames(const Image& image) {
    Frames frames;
    for (int y = 0; y < image.height();) y += extract_row(image, y, frames) + 1;
    return frames;
}

}  // namespace me
