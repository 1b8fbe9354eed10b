#include <filesystem>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform_services_fixture.h"

namespace me {
namespace {

constexpr const char* kCloudDir = "save/platform/76561197960265729/cloud";

class FileTest : public test::PlatformServicesTest {
protected:
    // Every line the script reads from the file, then "<end>".
    std::string lines_of(const std::string& open_arguments) {
        return evaluate_string("local f = ::File(); if (!f.open(" + open_arguments +
                               ")) return \"<not opened>\"; local all = \"\"; local line;"
                               "while ((line = f.read_line()) != null) all += \"[\" + line + \"]\";"
                               "return all + \"<end>\";");
    }

    static size_t files_under(const std::string& folder) {
        size_t count = 0;
        if (std::filesystem::exists(folder))
            for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
                count += entry.is_regular_file() ? 1 : 0;
        return count;
    }
};

TEST_F(FileTest, LinesAreSplitAtLineFeedsWithoutTheirCarriageReturn) {
    const std::pair<std::string, std::string> cases[] = {
        {"one\ntwo", "[one][two]<end>"},
        {"one\r\ntwo\r\n", "[one][two]<end>"},
        {"a\rb\r\n", "[a\rb]<end>"},
        {"\n\nx\n", "[][][x]<end>"},
        {"", "<end>"},
        {"\r", "[]<end>"},
    };
    for (const auto& [contents, lines] : cases) {
        write_file("data/lines.txt", contents);
        EXPECT_EQ(lines_of("\"lines.txt\", \"r\""), lines) << contents;
    }
}

TEST_F(FileTest, EachLocationKeepsWhatWasWrittenWhereItBelongs) {
    struct Case {
        const char* location;
        std::string on_disk;
    };
    const Case cases[] = {
        {"", "data/notes/a.txt"},
        {"\"data\"", "data/notes/a.txt"},
        {"\"save\"", "save/notes/a.txt"},
        {"\"home\"", "save/notes/a.txt"},
        {"\"steam\"", std::string(kCloudDir) + "/notes%2Fa.txt"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all("data");
        std::filesystem::remove_all("save");
        const std::string location = *c.location ? std::string(", ") + c.location : std::string();
        EXPECT_TRUE(evaluate_bool("local f = ::File(); local b = ::blob(); b.writen(0x00424100, 'i');"
                                  "return f.open(\"notes/a.txt\", \"w\"" + location +
                                  ") && f.write_line(\"first\") && f.write_blob(b) && f.close();"))
            << c.location;
        EXPECT_EQ(read_file(c.on_disk), std::string("first\r\n\0AB\0", 11)) << c.location;
        EXPECT_EQ(evaluate_integer("local f = ::File(); f.open(\"notes/a.txt\", \"r\"" + location +
                                   "); f.read_line(); local b = f.read_blob(); "
                                   "return f.read_blob().len() * 100 + b.len();"),
                  4)
            << c.location;
    }
}

TEST_F(FileTest, CloudFilesAreWrittenOnlyAtCloseOrWhenTheFileGoes) {
    evaluate("::kept <- ::File(); ::kept.open(\"slot\", \"w\", \"steam\"); ::kept.write_line(\"x\");");
    EXPECT_EQ(files_under(kCloudDir), 0u);
    EXPECT_TRUE(evaluate_bool("return ::kept.close();"));
    EXPECT_EQ(read_file(std::string(kCloudDir) + "/slot"), "x\r\n");

    evaluate("::dropped <- ::File(); ::dropped.open(\"other\", \"w\", \"steam\"); ::dropped.write_line(\"y\");");
    EXPECT_EQ(files_under(kCloudDir), 1u);
    evaluate("::dropped = null;");
    EXPECT_EQ(read_file(std::string(kCloudDir) + "/other"), "y\r\n");
}

TEST_F(FileTest, ALocalFileAppearsWholeAtCloseAndAFailedOneKeepsTheOldContent) {
    write_file("save/slot.txt", "old\r\n");
    evaluate("::f <- ::File(); ::f.open(\"slot.txt\", \"w\", \"save\"); ::f.write_line(\"new\");");
    EXPECT_EQ(read_file("save/slot.txt"), "old\r\n");
    std::filesystem::remove("save/slot.txt");
    std::filesystem::create_directory("save/slot.txt");
    EXPECT_FALSE(evaluate_bool("return ::f.close();"));
    EXPECT_TRUE(logged("error: Can't write file 'save/slot.txt'; it keeps its previous content."));
    EXPECT_EQ(files_under("save"), 0u) << "the unfinished file is removed";

    evaluate("::g <- ::File(); ::g.open(\"late.txt\", \"w\", \"save\"); ::g.write_line(\"kept\");");
    File::close_all_written();
    EXPECT_EQ(read_file("save/late.txt"), "kept\r\n");
    EXPECT_FALSE(evaluate_bool("return ::g.write_line(\"after\");"));
}

TEST_F(FileTest, PathsThatLeaveTheirLocationAreRefusedAndNothingIsWritten) {
    // Squirrel's verbatim strings keep each backslash as it stands.
    const char* const paths[] = {
        "../escape.txt", "a/../../escape.txt", "..", "a/..", "/tmp/escape.txt", "\\\\server\\share",
        "C:/escape.txt", "C:escape.txt", "..\\escape.txt", "a\\..\\..\\escape.txt", "user:escape.txt",
        "root:/tmp/escape.txt", "",
    };
    size_t refusals = 0;
    for (const char* path : paths) {
        for (const char* location : {"\"data\"", "\"save\"", "\"steam\""}) {
            for (const char* mode : {"\"w\"", "\"r\""}) {
                EXPECT_FALSE(evaluate_bool(std::string("return ::File().open(@\"") + path + "\", " + mode + ", " +
                                           location + ");"))
                    << path << " " << location << " " << mode;
                ++refusals;
            }
        }
        EXPECT_TRUE(logged(std::string("error: Can't open file '") + path + "': the path leaves its location."))
            << path;
    }
    EXPECT_EQ(times_logged("': the path leaves its location."), refusals);
    EXPECT_FALSE(evaluate_bool("return ::File().open(\"a\\x00/../../escape.txt\", \"w\", \"save\");"));
    EXPECT_FALSE(std::filesystem::exists("escape.txt"));
    EXPECT_FALSE(std::filesystem::exists("/tmp/escape.txt"));
    EXPECT_EQ(files_under("data") + files_under("save"), 0u);
}

TEST_F(FileTest, NamesThatStayInsideAreAccepted) {
    for (const char* path : {"a..b", "..a/b", "x/./y", "deep/er/file.txt", "a\\b"})
        EXPECT_TRUE(File::is_contained_path(path)) << path;
}

TEST_F(FileTest, ScriptMisuseAndFailuresGiveTheirMessages) {
    struct Case {
        std::string expression;
        std::string error;
    };
    const Case cases[] = {
        {"::File.open.call({}, \"a\", \"r\")", "Expecting File"},
        {"::File().open(1, \"r\")", "Expecting string."},
        {"::File().open(\"a\", null)", "Expecting string."},
        {"::File().open(\"a\", \"r\", 5)", "Expecting string."},
        {"::File().write_line(3)", "Expecting string."},
        {"::File().write_blob(\"text\")", "Expecting blob."},
        {"::File.read_line.call(::HTTPPost())", "Expecting File"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(error_of(c.expression), c.error) << c.expression;

    const std::pair<std::string, std::string> failures[] = {
        {"::File().open(\"missing.txt\", \"r\")", "error: Can't read file 'data/missing.txt'."},
        {"::File().open(\"missing\", \"r\", \"steam\")", "error: Steam Cloud: Can't read file 'missing'."},
        {"::File().open(\"taken/x.txt\", \"w\", \"save\")", "error: Can't open file 'save/taken/x.txt' for writing."},
        {"::File().open(\"a\", \"a\")", ""},
    };
    write_file("save/taken", "a file where a folder should be");
    for (const auto& [expression, line] : failures) {
        EXPECT_FALSE(evaluate_bool("return " + expression + ";")) << expression;
        if (!line.empty()) {
            EXPECT_TRUE(logged(line)) << line;
        }
    }
    const std::string long_name(300, 'n');
    EXPECT_FALSE(
        evaluate_bool("local f = ::File(); f.open(\"" + long_name + "\", \"w\", \"steam\"); return f.close();"));
    EXPECT_TRUE(logged("error: Steam Cloud: Error writting file '" + long_name + "'."));
    EXPECT_TRUE(evaluate_bool("local f = ::File(); return f.read_line() == null && f.read_blob() == null && "
                              "!f.write_line(\"x\") && f.close();"));
}

TEST_F(FileTest, AFileCannotGrowPastWhatCanBeReadBack) {
    File file;
    ASSERT_TRUE(file.open("big", "w", "steam"));
    const std::vector<uint8_t> megabyte(1024 * 1024, 'b');
    for (int i = 0; i < StdFile::kMaxWholeFileSize / (1024 * 1024); ++i)
        ASSERT_TRUE(file.write_bytes(megabyte));
    EXPECT_FALSE(file.write_line(""));
    EXPECT_TRUE(logged("error: File 'big' would grow past 67108864 bytes; the write is refused."));
    EXPECT_FALSE(file.close());
    EXPECT_TRUE(logged("error: Can't write file 'big'; it keeps its previous content."));
    EXPECT_EQ(files_under(kCloudDir), 0u);
}

}  // namespace
}  // namespace me
