// quillmoor-font: renders a TrueType or OpenType font into the engine's text
// font descriptor and its one PNG page.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "font/font_descriptor_writer.h"
#include "font/font_page.h"
#include "font/font_rasterizer.h"
#include "font/font_tool_options.h"
#include "font/glyph_packer.h"

namespace me::font_tool {

namespace {

constexpr const char* kDescriptorExtension = ".fnt";
constexpr const char* kPageExtension = ".png";

int fail(const std::string& message) {
    std::cerr << "quillmoor-font: " << message << '\n';
    return 1;
}

bool write_text_file(const std::string& path, const std::string& text, std::string& error) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        error = "cannot write '" + path + "'";
        return false;
    }
    return true;
}

void report_warnings(const RenderedFont& font) {
    if (!font.missing_codes.empty())
        std::cerr << "quillmoor-font: warning: " << font.missing_codes.size()
                  << " codes have no glyph in the font and were left out (first: " << font.missing_codes.front()
                  << ")\n";
    if (font.kerning_truncated)
        std::cerr << "quillmoor-font: warning: only the first " << kMaxKerningPairs << " kerning pairs were kept\n";
}

int run(const FontToolOptions& options) {
    std::string error;
    auto font = rasterize_font(options.font_path, options.pixel_size, options.codes, error);
    if (!font)
        return fail(error);
    if (font->glyphs.empty())
        return fail("the font has none of the requested characters");
    const auto page = pack_glyphs(font->glyphs, options.max_page_side);
    if (!page)
        return fail("the glyphs do not fit on a page of " + std::to_string(options.max_page_side) + " x " +
                    std::to_string(options.max_page_side) + " pixels");
    report_warnings(*font);
    const std::string page_path = options.out_name + kPageExtension;
    const std::string page_file = std::filesystem::path(page_path).filename().string();
    if (!write_page_png(page_path, compose_page(font->glyphs, *page), *page, error) ||
        !write_text_file(options.out_name + kDescriptorExtension,
                         font_descriptor_text(*font, *page, page_file), error))
        return fail(error);
    std::cout << "wrote " << options.out_name << kDescriptorExtension << " and " << page_path << ": "
              << font->glyphs.size() << " glyphs, " << font->kerning.size() << " kerning pairs, " << page->width
              << " x " << page->height << " page\n";
    return 0;
}

}  // namespace

}  // namespace me::font_tool

int main(int argc, char** argv) {
    using namespace me::font_tool;
    std::string error;
    const auto options = parse_font_tool_options(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "quillmoor-font: " << error << '\n' << font_tool_usage();
        return 1;
    }
    if (options->help) {
        std::cout << font_tool_usage();
        return 0;
    }
    return run(*options);
}
