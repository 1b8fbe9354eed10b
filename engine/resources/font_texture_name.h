#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace me {

// The texture of a font is named by its descriptor path with the last three
// characters (the extension) replaced by "png"; nothing for paths of three
// characters or fewer.
std::optional<std::string> font_texture_name(std::string_view descriptor_path);

}  // namespace me
