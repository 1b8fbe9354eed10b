#include "resources/font.h"

#include <optional>

#include "core/log.h"
#include "core/std_file.h"
#include "resources/font_descriptor.h"
#include "resources/font_load_report.h"
#include "resources/font_texture_name.h"
#include "resources/resource_class.h"
#include "resources/resource_def_reader.h"
#include "resources/resource_registry.h"

namespace me {

namespace {
const ResourceClass g_font_class(Font::kClassRecord, resource_types::font, make_resource<Font>);
}  // namespace

const ClassRecord Font::kClassRecord{"Font", &ResourceObject::kClassRecord};

Font::Font() : ResourceObject(resource_types::font) {}

bool Font::load() {
    std::string path = DefReader(resource_vm(), get_def()).string("file");
    if (path.empty())
        path = get_name();
    return load_texture_of(path) && read_descriptor(path);
}

bool Font::load_texture_of(const std::string& descriptor_path) {
    const std::optional<std::string> texture_name = font_texture_name(descriptor_path);
    if (texture_name)
        m_texture = load_texture(*texture_name);
    else
        log_error(format_message("Font file name '%1' is too short to name its texture.", descriptor_path));
    if (m_texture)
        return true;
    log_error(format_message("Unable to load font '%1'.", get_name()));
    return false;
}

bool Font::read_descriptor(const std::string& descriptor_path) {
    std::string text;
    if (!StdFile::read_whole(descriptor_path, text)) {
        log_error(format_message("Unable to load font '%1'.", get_name()));
        return false;
    }
    FontDescriptorResult result = parse_font_descriptor(text);
    if (!report_font_descriptor(result, get_name()))
        return false;
    m_data = std::move(*result.font);
    return true;
}

void Font::layout(std::u16string_view text, float wrap_width, TextAlignment alignment, float scale,
                  TextMesh& mesh) const {
    layout_text(text, m_data, wrap_width, alignment, scale, application_text_palette(), mesh);
}

ResourceRef<Font> load_font(const std::string& name) { return load_resource_as<Font>(resource_types::font, name); }

}  // namespace me
