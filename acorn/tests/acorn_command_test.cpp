// The acorn command end to end: running scripts with arguments, exit
// statuses, error reports, compiling with -c/-o, the prompt and options.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "squirrel.h"

namespace {

namespace fs = std::filesystem;

// The command is built into the same folder as this test program.
fs::path command_path() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : self.parent_path() / "acorn";
}

std::string read_file(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class AcornCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        acorn_ = command_path();
        if (acorn_.empty() || !fs::exists(acorn_)) GTEST_SKIP() << "the acorn command is not built";
        folder_ = fs::temp_directory_path() / ("acorn_command_" + std::to_string(getpid()));
        fs::create_directories(folder_);
    }

    void TearDown() override {
        std::error_code ignored;
        if (!folder_.empty()) fs::remove_all(folder_, ignored);
    }

    fs::path write(const std::string &name, const std::string &text) {
        const fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    // Runs the command in the temporary folder with the given arguments
    // (already quoted for the shell) and standard input.
    Outcome run(const std::string &arguments, const std::string &input = "") {
        const fs::path in = write("stdin.txt", input);
        const std::string line = "cd '" + folder_.string() + "' && '" + acorn_.string() + "' " + arguments + " < '" +
                                 in.string() + "' > out.txt 2> err.txt";
        Outcome outcome;
        const int raw = std::system(line.c_str());
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        outcome.out = read_file(folder_ / "out.txt");
        outcome.err = read_file(folder_ / "err.txt");
        return outcome;
    }

    fs::path acorn_;
    fs::path folder_;
};

TEST_F(AcornCommandTest, RunsScriptWithArgumentsInVargv) {
    write("args.nut", "foreach (i, a in vargv) print(i + \"=\" + a + \" \" + typeof a + \"\\n\");\n"
                      "print((this == getroottable()) + \"\\n\");");
    const Outcome outcome = run("args.nut one 'two words'");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "0=one string\n1=two words string\ntrue\n");
    EXPECT_EQ(outcome.err, "");
}

TEST_F(AcornCommandTest, RuntimeErrorExitsWithOneAndReportsTheCallStack) {
    write("fail.nut", "print(\"before\\n\");\nlocal n = null;\nn.x = 1;\n");
    const Outcome outcome = run("fail.nut");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "before\n");
    EXPECT_EQ(outcome.err.rfind("\nAN ERROR HAS OCCURRED [", 0), 0u) << outcome.err;
    EXPECT_NE(outcome.err.find("*FUNCTION [main()] fail.nut line [3]"), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("[n] NULL"), std::string::npos) << outcome.err;
}

// Neither a runaway recursion nor a suspended main script ends silently.
TEST_F(AcornCommandTest, StackOverflowAndTopLevelSuspendAreReportedWithStatusOne) {
    write("deep.nut", "function d(n) { return n == 0 ? 0 : 1 + d(n - 1); }\nprint(d(100000) + \"\\n\");\n"
                      "function r(n) { return 1 + r(n + 1); }\nr(0);\nprint(\"not reached\");\n");
    const Outcome overflow = run("deep.nut");
    EXPECT_EQ(overflow.status, 1);
    EXPECT_EQ(overflow.out, "100000\n");
    EXPECT_EQ(overflow.err.rfind("\nAN ERROR HAS OCCURRED [stack overflow]", 0), 0u) << overflow.err.substr(0, 200);
    EXPECT_NE(overflow.err.find("*FUNCTION [r()] deep.nut line [3]"), std::string::npos);
    EXPECT_NE(overflow.err.find("*FUNCTION [main()] deep.nut line [4]"), std::string::npos);
    EXPECT_NE(overflow.err.find(" more ...\n"), std::string::npos);
    EXPECT_LT(overflow.err.size(), 20000u) << "a runaway stack is summarised, not listed frame by frame";

    write("suspend.nut", "print(\"a\\n\"); suspend(1); print(\"b\\n\");\n");
    const Outcome suspended = run("suspend.nut");
    EXPECT_EQ(suspended.status, 1);
    EXPECT_EQ(suspended.out, "a\n");
    EXPECT_NE(suspended.err.find("suspend() outside a thread"), std::string::npos) << suspended.err;
}

// Errors thrown inside callbacks that natives run are reported only when no
// script catches them, and then from where they were thrown.
TEST_F(AcornCommandTest, ErrorsCaughtAroundNativeCallbacksAreNotReported) {
    write("caught.nut",
          "try { [1, 2].map(function(x) { throw \"in map\"; }); } catch (e) print(e + \"\\n\");\n"
          "try { [2, 1].sort(function(a, b) { throw \"in sort\"; }); } catch (e) print(e + \"\\n\");\n"
          "try { (function() { throw \"in call\"; }).call(this); } catch (e) print(e + \"\\n\");\n");
    const Outcome caught = run("caught.nut");
    EXPECT_EQ(caught.status, 0);
    EXPECT_EQ(caught.out, "in map\nin sort\nin call\n");
    EXPECT_EQ(caught.err, "");

    write("uncaught.nut", "local a = [1];\na.map(function(x) {\n  throw \"lost\";\n});\n");
    const Outcome uncaught = run("uncaught.nut");
    EXPECT_EQ(uncaught.status, 1);
    EXPECT_EQ(uncaught.err.rfind("\nAN ERROR HAS OCCURRED [lost]", 0), 0u) << uncaught.err;
    EXPECT_NE(uncaught.err.find("uncaught.nut line [3]"), std::string::npos) << uncaught.err;
    EXPECT_EQ(uncaught.err.find("AN ERROR", 5), std::string::npos) << "reported once";
}

TEST_F(AcornCommandTest, CompileErrorExitsWithOneAndNamesThePlace) {
    write("bad.nut", "local a = 1;\nlocal = ;\n");
    const Outcome outcome = run("bad.nut");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err.rfind("bad.nut line = (2) column = (", 0), 0u) << outcome.err;
}

TEST_F(AcornCommandTest, MissingScriptIsNamed) {
    const Outcome outcome = run("absent.nut");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("absent.nut"), std::string::npos) << outcome.err;
}

TEST_F(AcornCommandTest, CompiledFileRunsLikeTheSource) {
    write("calc.nut", "function twice(x) { return x * 2; }\nprint(twice(21) + \" \" + vargv.len() + \"\\n\");");
    EXPECT_EQ(run("-c -o calc.bin calc.nut").status, 0);
    EXPECT_TRUE(fs::exists(folder_ / "calc.bin"));
    const Outcome compiled = run("calc.bin a");
    EXPECT_EQ(compiled.status, 0);
    EXPECT_EQ(compiled.out, "42 1\n");
    EXPECT_EQ(run("-c -d calc.nut").status, 0);
    EXPECT_EQ(run("out.cnut").out, "42 0\n");
}

TEST_F(AcornCommandTest, PromptRunsLinesAndPrintsValues) {
    const Outcome outcome = run("", "x <- 20\n= x + 1\nprint(\"p\\n\")\nfunction f() {\\\n return 5; }\n= f()\n");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "= 21\np\n= 5\n");
}

TEST_F(AcornCommandTest, PromptSurvivesErrors) {
    const Outcome outcome = run("", "local = ;\n= missing_name\n= 2 * 3\n");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "= 6\n");
    EXPECT_NE(outcome.err.find("missing_name"), std::string::npos) << outcome.err;
}

TEST_F(AcornCommandTest, VersionHelpAndBadOptions) {
    const Outcome version = run("-v");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string(ACORN_VERSION_STRING) + "\n");
    const Outcome help = run("-h");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: acorn", 0), 0u);
    EXPECT_EQ(run("-q").status, 1);
    EXPECT_EQ(run("-c").status, 1);
    EXPECT_EQ(run("-o").status, 1);
}

}  // namespace
