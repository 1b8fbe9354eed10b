#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "image/png_decoder.h"
#include "resources/font_descriptor.h"
#include "resources/text_layout.h"

namespace me {
namespace {

namespace fs = std::filesystem;

const char* const kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr int kPrintableAsciiCount = 126 - 32 + 1;

struct ToolRun {
    int exit_code = -1;
    std::string output;
};

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FontTool : public testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(kDejaVuSans))
            GTEST_SKIP() << kDejaVuSans << " is absent; install fonts-dejavu-core to run the font tool tests";
        std::error_code error;
        tool = fs::read_symlink("/proc/self/exe", error).parent_path() / "quillmoor-font";
        ASSERT_TRUE(fs::exists(tool)) << tool << " has not been built";
        directory = fs::temp_directory_path() /
                    ("quillmoor_font_tool_" + std::to_string(::getpid()) + "_" +
                     testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(directory);
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(directory, error);
    }

    ToolRun run_tool(const std::string& arguments) const {
        const std::string command = "'" + tool.string() + "' " + arguments + " 2>&1";
        ToolRun run;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe)
            return run;
        char buffer[256];
        while (size_t read = std::fread(buffer, 1, sizeof buffer, pipe))
            run.output.append(buffer, read);
        const int status = ::pclose(pipe);
        run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
    }

    std::string out_name(const std::string& name) const { return "'" + (directory / name).string() + "'"; }

    FontData load_descriptor(const std::string& name) const {
        FontDescriptorResult result = parse_font_descriptor(read_file(directory / (name + ".fnt")));
        EXPECT_TRUE(result.ok()) << result.error;
        EXPECT_TRUE(result.warnings.empty());
        return result.ok() ? std::move(*result.font) : FontData();
    }

    Image load_page(const std::string& name) const {
        const std::string bytes = read_file(directory / (name + ".png"));
        auto decoded = decode_png(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
        EXPECT_TRUE(decoded.ok()) << decoded.error();
        return decoded.ok() ? std::move(decoded.value()) : Image();
    }

    fs::path tool;
    fs::path directory;
};

bool inside(const Glyph& glyph, int x, int y) {
    return x >= glyph.x && x < glyph.x + glyph.width && y >= glyph.y && y < glyph.y + glyph.height;
}

TEST_F(FontTool, PrintableAsciiReadsBackAsAFontWithoutWarnings) {
    const ToolRun run = run_tool(std::string(kDejaVuSans) + " 20 " + out_name("sans"));
    ASSERT_EQ(run.exit_code, 0) << run.output;
    const FontData font = load_descriptor("sans");
    EXPECT_EQ(font.glyph_count(), kPrintableAsciiCount);
    for (int code = 32; code <= 126; ++code)
        EXPECT_NE(font.glyph(code), nullptr) << code;
    EXPECT_EQ(font.glyph(31), nullptr);
    EXPECT_EQ(font.glyph(127), nullptr);
    EXPECT_EQ(font.page_file, "sans.png");
    EXPECT_GE(font.line_height, 20);
    EXPECT_GT(font.base, 0);
    EXPECT_LT(font.base, font.line_height);
    EXPECT_GT(font.space_width, 0);
    EXPECT_GT(font.glyph('M')->width, font.glyph('i')->width);
    EXPECT_GT(font.glyph('g')->y_offset + font.glyph('g')->height, font.base);
}

TEST_F(FontTool, EveryKerningPairOfTheFontIsFoundByLookup) {
    ASSERT_EQ(run_tool(std::string(kDejaVuSans) + " 24 " + out_name("kerned")).exit_code, 0);
    const FontData font = load_descriptor("kerned");
    ASSERT_FALSE(font.kerning_pairs.empty());
    for (const KerningPair& pair : font.kerning_pairs) {
        EXPECT_NE(pair.amount, 0);
        EXPECT_EQ(font.kerning(pair.first, pair.second), pair.amount) << pair.first << " " << pair.second;
    }
    const std::u16string text = u"AV";
    EXPECT_EQ(font.measure(text, 0, 2),
              font.glyph('A')->x_advance + font.glyph('V')->x_advance + font.kerning('A', 'V'));
}

TEST_F(FontTool, ThePageIsWhiteWithCoverageOnlyInsideNonOverlappingGlyphRectangles) {
    ASSERT_EQ(run_tool(std::string(kDejaVuSans) + " 16 " + out_name("page")).exit_code, 0);
    const FontData font = load_descriptor("page");
    const Image page = load_page("page");
    ASSERT_EQ(page.width(), font.texture_width);
    ASSERT_EQ(page.height(), font.texture_height);
    std::vector<int> owners(static_cast<size_t>(page.width() * page.height()), -1);
    font.for_each_glyph([&](int code, const Glyph& glyph) {
        for (int y = glyph.y; y < glyph.y + glyph.height; ++y)
            for (int x = glyph.x; x < glyph.x + glyph.width; ++x) {
                int& owner = owners[static_cast<size_t>(y * page.width() + x)];
                EXPECT_EQ(owner, -1) << "glyphs " << owner << " and " << code << " overlap";
                owner = code;
            }
    });
    int covered_in_a = 0;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const Rgba pixel = page.get_pixel(x, y);
            ASSERT_EQ(pixel.r, 255);
            ASSERT_EQ(pixel.g, 255);
            ASSERT_EQ(pixel.b, 255);
            if (owners[static_cast<size_t>(y * page.width() + x)] == -1) {
                ASSERT_EQ(pixel.a, 0) << x << "," << y;
            }
            if (inside(*font.glyph('A'), x, y) && pixel.a > 0)
                ++covered_in_a;
        }
    }
    EXPECT_GT(covered_in_a, font.glyph('A')->width);
}

TEST_F(FontTool, CharacterRangesChooseTheGlyphs) {
    const ToolRun run = run_tool("--chars 65-67,0x100 " + std::string(kDejaVuSans) + " 12 " + out_name("few"));
    ASSERT_EQ(run.exit_code, 0) << run.output;
    const FontDescriptorResult result = parse_font_descriptor(read_file(directory / "few.fnt"));
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.font->glyph_count(), 4);
    EXPECT_NE(result.font->glyph(0x100), nullptr);
    EXPECT_EQ(result.font->glyph(68), nullptr);
    EXPECT_EQ(result.warnings, std::vector<std::string>{"Font doesn't have space character available."});
}

TEST_F(FontTool, TheGeneratedFontLaysTextOut) {
    ASSERT_EQ(run_tool(std::string(kDejaVuSans) + " 18 " + out_name("layout")).exit_code, 0);
    const FontData font = load_descriptor("layout");
    TextMesh mesh;
    layout_text(u"Hello world", font, -1, TextAlignment::Left, 1, TextPalette{}, mesh);
    EXPECT_EQ(mesh.quads.size(), 11u);
    EXPECT_FLOAT_EQ(mesh.content_width, static_cast<float>(font.measure(u"Hello", 0, 5) +
                                                           font.space_width + font.measure(u"world", 0, 5)));
    EXPECT_FLOAT_EQ(mesh.content_height, static_cast<float>(font.line_height));
}

// The tool's command line for DejaVu Sans at size, after options, writing
// into the failure tests' output name.
std::string dejavu_run(const std::string& options, const std::string& size) {
    return options + " " + kDejaVuSans + " " + size + " @dir/broken";
}

struct FailingRun {
    const char* name;
    std::string arguments;
    std::string message;
};

class FontToolFailure : public FontTool, public testing::WithParamInterface<FailingRun> {};

// "@dir" in the arguments stands for the test's directory, which holds a
// file that is not a font.
TEST_P(FontToolFailure, ExitsWithOneAMessageAndNoFiles) {
    std::ofstream(directory / "not_a_font.ttf") << "plain text, no tables";
    std::string arguments = GetParam().arguments;
    for (size_t at = arguments.find("@dir"); at != std::string::npos; at = arguments.find("@dir"))
        arguments.replace(at, 4, directory.string());
    const ToolRun run = run_tool(arguments);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.output.find(GetParam().message), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(directory / "broken.fnt"));
    EXPECT_FALSE(fs::exists(directory / "broken.png"));
}

INSTANTIATE_TEST_SUITE_P(
    FontTool, FontToolFailure,
    testing::Values(
        FailingRun{"MissingFont", "@dir/missing.ttf 16 @dir/broken", "cannot open font file"},
        FailingRun{"NotAFont", "@dir/not_a_font.ttf 16 @dir/broken", "cannot read font file"},
        FailingRun{"ZeroSize", dejavu_run("", "0"), "invalid pixel size '0'"},
        FailingRun{"NegativeSize", dejavu_run("", "-12"), "invalid pixel size '-12'"},
        FailingRun{"GarbageSize", dejavu_run("", "big"), "invalid pixel size 'big'"},
        FailingRun{"HugeSize", dejavu_run("", "100000"), "invalid pixel size"},
        FailingRun{"TooSmallPage", dejavu_run("--max-page 16", "64"), "do not fit on a page of 16 x 16"},
        FailingRun{"PageNotAPowerOfTwo", dejavu_run("-p 100", "16"), "invalid maximum page side '100'"},
        FailingRun{"ReversedRange", dejavu_run("-c 200-100", "16"), "invalid character range '200-100'"},
        FailingRun{"CodeBeyondSixteenBits", dejavu_run("-c 65-70000", "16"), "invalid character range"},
        FailingRun{"EmptyRangeItem", dejavu_run("-c 65,,66", "16"), "invalid character range ''"},
        FailingRun{"OptionWithoutValue", std::string(kDejaVuSans) + " 16 @dir/broken --chars",
                   "option --chars needs a value"},
        FailingRun{"UnwritableOutput", std::string(kDejaVuSans) + " 16 @dir/no_such_folder/broken", "cannot write"},
        FailingRun{"UnknownOption", dejavu_run("--bold", "16"), "unknown option --bold"},
        FailingRun{"NoCharacterInTheFont", dejavu_run("-c 0xD800-0xDFFF", "16"), "none of the requested characters"}),
    [](const testing::TestParamInfo<FailingRun>& info) { return std::string(info.param.name); });

TEST_F(FontTool, MissingArgumentsPrintTheUsage) {
    const ToolRun run = run_tool(kDejaVuSans);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.output.find("usage: quillmoor-font"), std::string::npos) << run.output;
    EXPECT_EQ(run_tool("--help").exit_code, 0);
}

}  // namespace
}  // namespace me
