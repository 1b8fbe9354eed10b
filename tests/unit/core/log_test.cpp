#include <fcntl.h>
#include <unistd.h>

#include <climits>

#include "core/builtin_cvars.h"
#include "core/console.h"
#include "spine_test_environment.h"

namespace me {
namespace {

using test::SpineTest;

TEST(FormatArg, FillsTheLowestPlaceholderOnce) {
    std::string message = "Cannot initialize SDL: %1.";
    format_arg(message, "no display");
    EXPECT_EQ(message, "Cannot initialize SDL: no display.");
    format_arg(message, "ignored");
    EXPECT_EQ(message, "Cannot initialize SDL: no display.");
}

TEST(FormatArg, PlaceholdersAreFilledByNumberNotPosition) {
    EXPECT_EQ(format_message("%2 after %1", "first", "second"), "second after first");
    EXPECT_EQ(format_message("%3%1%2", "a", "b", "c"), "cab");
    EXPECT_EQ(format_message("%1 and %1", "x", "y"), "x and y");
    EXPECT_EQ(format_message("%1 %0", "x"), "%1 x");
}

TEST(FormatArg, MessagesWithoutPlaceholdersStayUnchanged) {
    EXPECT_EQ(format_message("plain text", 1, "two", 3.0), "plain text");
    EXPECT_EQ(format_message("100%", 5), "100%");
    EXPECT_EQ(format_message("%", 5), "%");
    EXPECT_EQ(format_message("", 5), "");
    EXPECT_EQ(format_message("%a %", 5), "%a %");
}

TEST(FormatArg, DoubledPercentHidesTheDigitAndStaysDoubled) {
    EXPECT_EQ(format_message("%%1 %1", "x"), "%%1 x");
    EXPECT_EQ(format_message("%%%1", "x"), "%%x");
}

TEST(FormatArg, ReplacementTextTakesPartInLaterPlaceholders) {
    EXPECT_EQ(format_message("A %1 B %2", "%1x", "y"), "A yx B %2");
}

TEST(FormatArg, IntegersAreDecimalOrHexadecimal) {
    EXPECT_EQ(format_message("%1", -42), "-42");
    EXPECT_EQ(format_message("%1", INT64_MIN), "-9223372036854775808");
    EXPECT_EQ(format_message("%1", UINT64_MAX), "18446744073709551615");
    EXPECT_EQ(format_message("%1", static_cast<uint8_t>(200)), "200");
    EXPECT_EQ(format_message("%1", Hex{255}), "ff");
    EXPECT_EQ(format_message("%1", Hex{0xDEADBEEFCAFEull}), "deadbeefcafe");
    EXPECT_EQ(format_message("%1", Hex{0}), "0");
}

TEST(FormatArg, FloatsUsePercentG) {
    EXPECT_EQ(format_message("%1", 0.1f), "0.1");
    EXPECT_EQ(format_message("%1", 130.0), "130");
    EXPECT_EQ(format_message("%1", 1e20), "1e+20");
    EXPECT_EQ(format_message("%1", -0.000012345), "-1.2345e-05");
    EXPECT_EQ(format_message("%1", 1234567.0), "1.23457e+06");
}

TEST(FormatArg, NullTextIsEmpty) {
    const char* nothing = nullptr;
    EXPECT_EQ(format_message("[%1]", nothing), "[]");
}

using LogTest = SpineTest;

TEST_F(LogTest, LinesCarryTheirLevelPrefix) {
    log_info("plain");
    log_error("bad");
    log_warning("odd");
    EXPECT_EQ(log_text(), "plain\nerror: bad\nwarning: odd\n");
}

TEST_F(LogTest, TextWithNulBytesAndPercentSignsIsWrittenWhole) {
    log_info(std::string_view("a\0b %s %1", 9));
    EXPECT_EQ(log_text(), std::string("a\0b %s %1\n", 10));
}

TEST_F(LogTest, OpenTruncatesTheLogInTheSaveDirectory) {
    registry.set_text("system::save_dir", "user:Game Saves");
    std::string path = root + "/home/Documents/Game Saves/game_log.txt";
    {
        Log first;
        first.open();
        ASSERT_TRUE(first.is_open());
        first.write(LogLevel::Info, "first run");
    }
    EXPECT_EQ(read_file(path), "first run\n");
    Log second;
    second.open();
    second.write(LogLevel::Warning, "second run");
    EXPECT_EQ(read_file(path), "warning: second run\n");
}

TEST_F(LogTest, OnlyTheFirstOpenHasAnEffect) {
    registry.set_text("system::save_dir", "root:one");
    Log opened;
    opened.open();
    registry.set_text("system::save_dir", "root:two");
    opened.open();
    opened.write(LogLevel::Info, "line");
    EXPECT_EQ(read_file("one/game_log.txt"), "line\n");
    EXPECT_FALSE(std::filesystem::exists("two"));
}

TEST_F(LogTest, UnopenableLogStaysClosedAndWritesNothing) {
    write_file("blocked", "file in the way");
    registry.set_text("system::save_dir", "root:blocked/dir");
    Log closed;
    closed.open();
    EXPECT_FALSE(closed.is_open());
    closed.write(LogLevel::Error, "nowhere to go");
    EXPECT_FALSE(std::filesystem::exists("blocked/dir"));
}

TEST_F(LogTest, CallStackFollowsErrorLinesOnlyWhenAskedFor) {
    log.set_call_stack_source([] { return std::string("CALLSTACK\n  main.nut:3"); });
    log_error("not yet");
    registry.set_int("system::dump_script_callstack_on_any_error", 1);
    log_error("with stack");
    log_warning("warning alone");
    log_info("info alone");
    log.set_call_stack_source(nullptr);
    log_error("no VM");
    EXPECT_EQ(log_text(),
              "error: not yet\n"
              "error: with stack\nCALLSTACK\n  main.nut:3\n"
              "warning: warning alone\n"
              "info alone\n"
              "error: no VM\n");
}

TEST_F(LogTest, ConsoleMirrorsLinesToStandardOutput) {
    Console::create();
    ASSERT_TRUE(Console::attached());
    testing::internal::CaptureStdout();
    log_warning("mirrored");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "warning: mirrored\n");
    EXPECT_EQ(log_text(), "warning: mirrored\n");
}

TEST_F(LogTest, WithoutALogLinesReachOnlyTheConsole) {
    g_log = nullptr;
    Console::create();
    testing::internal::CaptureStdout();
    log_error("console only");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "error: console only\n");
    EXPECT_EQ(log_text(), "");
}

TEST(ConsoleWait, ReturnsAtOnceWithoutATerminal) {
    int saved_stdin = dup(STDIN_FILENO);
    int null_input = open("/dev/null", O_RDONLY);
    ASSERT_GE(null_input, 0);
    dup2(null_input, STDIN_FILENO);
    testing::internal::CaptureStdout();
    Console::wait_for_key();
    std::string printed = testing::internal::GetCapturedStdout();
    dup2(saved_stdin, STDIN_FILENO);
    close(null_input);
    close(saved_stdin);
    EXPECT_EQ(printed, "");
}

}  // namespace
}  // namespace me
