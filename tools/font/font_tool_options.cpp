#include "font/font_tool_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <set>

namespace me::font_tool {

namespace {

std::optional<long> parse_number(const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* begin = text.data() + (hex ? 2 : 0);
    const char* end = text.data() + text.size();
    long value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value, hex ? 16 : 10);
    if (begin == end || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

bool is_power_of_two(int value) {
    return value > 0 && (value & (value - 1)) == 0;
}

// Adds the codes of one "first-last" or "code" item.
bool add_range(const std::string& item, std::set<int>& codes, std::string& error) {
    const size_t dash = item.find('-', 1);
    const auto first = parse_number(item.substr(0, dash));
    const auto last = dash == std::string::npos ? first : parse_number(item.substr(dash + 1));
    if (!first || !last || *first < 0 || *last > kMaxCharacterCode || *first > *last) {
        error = "invalid character range '" + item + "' (codes run from 0 to 65535, first to last)";
        return false;
    }
    for (long code = *first; code <= *last; ++code)
        codes.insert(static_cast<int>(code));
    return true;
}

bool read_option_value(const std::vector<std::string>& arguments, size_t& index, std::string& value,
                       std::string& error) {
    if (index + 1 >= arguments.size()) {
        error = "option " + arguments[index] + " needs a value";
        return false;
    }
    value = arguments[++index];
    return true;
}

bool read_max_page(const std::string& text, FontToolOptions& options, std::string& error) {
    const auto side = parse_number(text);
    if (!side || *side < kMinPageSide || *side > kMaxPageSide || !is_power_of_two(static_cast<int>(*side))) {
        error = "invalid maximum page side '" + text + "' (a power of two from 16 to 2048)";
        return false;
    }
    options.max_page_side = static_cast<int>(*side);
    return true;
}

bool read_option(const std::vector<std::string>& arguments, size_t& index, FontToolOptions& options,
                 std::string& error) {
    const std::string& name = arguments[index];
    std::string value;
    if (name == "-h" || name == "--help") {
        options.help = true;
        return true;
    }
    if (name == "-c" || name == "--chars") {
        if (!read_option_value(arguments, index, value, error))
            return false;
        auto codes = parse_character_ranges(value, error);
        if (codes)
            options.codes = std::move(*codes);
        return codes.has_value();
    }
    if (name == "-p" || name == "--max-page")
        return read_option_value(arguments, index, value, error) && read_max_page(value, options, error);
    error = "unknown option " + name;
    return false;
}

bool read_positionals(const std::vector<std::string>& positionals, FontToolOptions& options, std::string& error) {
    if (positionals.size() != 3) {
        error = "expected a font file, a pixel size and an output name";
        return false;
    }
    const auto size = parse_number(positionals[1]);
    if (!size || *size < kMinPixelSize || *size > kMaxPixelSize) {
        error = "invalid pixel size '" + positionals[1] + "' (a whole number from 1 to 256)";
        return false;
    }
    options.font_path = positionals[0];
    options.pixel_size = static_cast<int>(*size);
    options.out_name = positionals[2];
    return true;
}

}  // namespace

std::optional<std::vector<int>> parse_character_ranges(const std::string& text, std::string& error) {
    std::set<int> codes;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        if (!add_range(text.substr(start, comma - start), codes, error))
            return std::nullopt;
        start = comma + 1;
    }
    return std::vector<int>(codes.begin(), codes.end());
}

std::optional<FontToolOptions> parse_font_tool_options(const std::vector<std::string>& arguments,
                                                       std::string& error) {
    FontToolOptions options;
    std::vector<std::string> positionals;
    for (size_t i = 0; i < arguments.size(); ++i) {
        // A leading minus before a digit is a (bad) size, not an option.
        const bool is_option = arguments[i].size() > 1 && arguments[i][0] == '-' &&
                               !std::isdigit(static_cast<unsigned char>(arguments[i][1]));
        if (!is_option)
            positionals.push_back(arguments[i]);
        else if (!read_option(arguments, i, options, error))
            return std::nullopt;
    }
    if (options.help)
        return options;
    if (!read_positionals(positionals, options, error))
        return std::nullopt;
    if (options.codes.empty())
        options.codes = *parse_character_ranges(kDefaultCharacters, error);
    return options;
}

const char* font_tool_usage() {
    return "usage: quillmoor-font [options] font.ttf size out_name\n"
           "Renders the font at size pixels into out_name.fnt and its page out_name.png.\n"
           "  -c, --chars RANGES    codes to include, e.g. 32-126,0xA0-0xFF (default 32-126)\n"
           "  -p, --max-page SIDE   largest page side, a power of two from 16 to 2048 (default 2048)\n"
           "  -h, --help            show this text\n";
}

}  // namespace me::font_tool
