#include "resources/font_texture_name.h"

namespace me {

namespace {

constexpr size_t kExtensionLength = 3;
constexpr std::string_view kTextureExtension = "png";

}  // namespace

std::optional<std::string> font_texture_name(std::string_view descriptor_path) {
    if (descriptor_path.size() <= kExtensionLength)
        return std::nullopt;
    std::string name(descriptor_path.substr(0, descriptor_path.size() - kExtensionLength));
    name += kTextureExtension;
    return name;
}

}  // namespace me
