// The standard libraries as scripts see them (blob, math, string, regexp,
// system, io), the C helpers a host calls, and the error report layout.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "../stdlib/memory_stream.h"
#include "sqstdaux.h"
#include "sqstdblob.h"
#include "sqstdio.h"
#include "sqstdmath.h"
#include "sqstdstring.h"
#include "sqstdsystem.h"
#include "script_harness.h"
#include "squirrel.h"

namespace {

class StdlibTest : public ::testing::Test {
protected:
    acorn_test::ScriptHarness harness{acorn_test::ScriptHarness::Libraries::Standard};
    HSQUIRRELVM v = harness.vm();

    // Runs the script and returns what it printed, or "error: " and the
    // message of the error that escaped it. Backticks in the script stand for
    // double quotes, which keeps scripts readable inside C++ strings.
    std::string run(std::string source) {
        std::replace(source.begin(), source.end(), '`', '"');
        return harness.run_or_error(source);
    }
};

std::string temporary_path(const char *name) {
    return (std::filesystem::temp_directory_path() / (std::string("acorn_stdlib_") + std::to_string(getpid()) + "_" + name))
        .string();
}

// ---------------------------------------------------------------- blob

TEST(MemoryStreamTest, SeekStaysWithinTheData) {
    acorn::stdlib::MemoryStream stream(4);
    using acorn::stdlib::SeekOrigin;
    EXPECT_TRUE(stream.seek(4, SeekOrigin::Begin));
    EXPECT_TRUE(stream.at_end());
    EXPECT_FALSE(stream.seek(5, SeekOrigin::Begin));
    EXPECT_FALSE(stream.seek(-1, SeekOrigin::Begin));
    EXPECT_TRUE(stream.seek(-1, SeekOrigin::End));
    EXPECT_EQ(stream.tell(), 3);
    EXPECT_FALSE(stream.seek(2, SeekOrigin::Current));
    EXPECT_EQ(stream.tell(), 3);
}

TEST(MemoryStreamTest, ShortReadAtTheEndAndGrowingWrite) {
    acorn::stdlib::MemoryStream stream(2);
    char buffer[4] = {9, 9, 9, 9};
    EXPECT_EQ(stream.read(buffer, 4), 2u);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[2], 9);
    EXPECT_EQ(stream.write("abc", 3), 3u);
    EXPECT_EQ(stream.size(), 5u);
    stream.resize(1);
    EXPECT_EQ(stream.tell(), 1);
    stream.resize(3);
    EXPECT_EQ(stream.data()[2], 0);
    acorn::stdlib::MemoryStream empty;
    EXPECT_NE(empty.data(), nullptr);
}

TEST_F(StdlibTest, BlobReadsBackEveryNumberType) {
    EXPECT_EQ(run("local b = blob();"
                  "b.writen(-1, 'c'); b.writen(200, 'b'); b.writen(-2, 's'); b.writen(65535, 'w');"
                  "b.writen(-100000, 'i'); b.writen(1.5, 'f'); b.writen(0.25, 'd'); b.writen(-3, 'l');"
                  "print(b.len() + ` ` + b.tell() + `\\n`); b.seek(0);"
                  "foreach (t in ['c','b','s','w','i','f','d','l']) print(b.readn(t) + ` `);"
                  "print(b.eos());"),
              "30 30\n-1 200 -2 65535 -100000 1.5 0.25 -3 1");
}

TEST_F(StdlibTest, BlobLayoutIsLittleEndian) {
    EXPECT_EQ(run("local b = blob(); b.writen(0x01020304, 'i'); foreach (x in b) print(x + `,`);"), "4,3,2,1,");
}

TEST_F(StdlibTest, BlobSeekOriginsAndBounds) {
    EXPECT_EQ(run("local b = blob(10); b.seek(-3, 'e'); print(b.tell()); b.seek(2, 'c'); print(` ` + b.tell());"
                  "b.seek(4); print(` ` + b.tell()); b.seek(10); print(` ` + b.eos());"),
              "7 9 4 1");
    EXPECT_EQ(run("local b = blob(4); b.seek(2); print(b.seek(5) + ` ` + b.seek(-1) + ` ` + b.seek(1, 'e') + ` ` + b.tell());"),
              "-1 -1 -1 2");
    EXPECT_EQ(run("print(blob(4).seek(4) + ` ` + blob(4).flush() + ` ` + blob(4).eos() + ` ` + blob(0).eos());"), "0 1 null 1");
    EXPECT_EQ(run("blob(4).seek(0, 'x');"), "error: invalid origin");
}

TEST_F(StdlibTest, BlobReadsPastTheEndRaiseErrors) {
    EXPECT_EQ(run("local b = blob(3); b.readn('i');"), "error: io error");
    EXPECT_EQ(run("local b = blob(8); b.seek(6); b.readn('i');"), "error: io error");
    EXPECT_EQ(run("local b = blob(); b.readn('b');"), "error: io error");
    EXPECT_EQ(run("local b = blob(4); b.readn('q');"), "error: invalid format");
    EXPECT_EQ(run("local b = blob(4); b.writen(1, 'q');"), "error: invalid format");
    EXPECT_EQ(run("local b = blob(2); b.seek(2); b.readblob(1);"), "error: no data left to read");
}

TEST_F(StdlibTest, FormatResultsLongerThanTheStringLimitAreRefused) {
    EXPECT_EQ(run("local s = `x`; for (local i = 0; i < 26; i++) s += s;"
                  "try { format(`%s%s`, s, s); } catch (e) { print(e + ` ` + format(`%s`, s).len()); }"),
              "string too long 67108864");
}

TEST_F(StdlibTest, BlobResizeShortensButNeverLengthens) {
    EXPECT_EQ(run("local b = blob(); foreach (x in [1,2,3,4]) b.writen(x, 'b');"
                  "b.resize(2); print(b.len() + ` ` + b.tell() + ` ` + b[1]);"
                  "b.resize(5); print(` ` + b.len() + ` ` + b.tell()); try { b[4]; } catch (e) print(` ` + e);"),
              "2 2 2 2 2 index out of range");
    EXPECT_EQ(run("blob().resize(-1);"), "error: negative size");
    EXPECT_EQ(run("blob(-1);"), "error: cannot create blob with negative size");
}

TEST_F(StdlibTest, BlobSwapsWholeGroupsAndLeavesTheTail) {
    EXPECT_EQ(run("local b = blob(); foreach (x in [1,2,3,4,5,6,7]) b.writen(x, 'b');"
                  "b.swap2(); foreach (x in b) print(x); print(` `);"
                  "b.swap4(); foreach (x in b) print(x);"),
              "2143657 3412657");
}

TEST_F(StdlibTest, BlobIndexingIsBoundsChecked) {
    EXPECT_EQ(run("local b = blob(2); b[1] = 0x1FF; print(b[1] + ` ` + b[0] + ` ` + typeof b);"), "255 0 blob");
    EXPECT_EQ(run("local b = blob(2); print(b[2]);"), "error: index out of range");
    EXPECT_EQ(run("local b = blob(2); b[-1] = 3;"), "error: index out of range");
}

TEST_F(StdlibTest, BlobCloneIsIndependent) {
    EXPECT_EQ(run("local a = blob(1); a[0] = 7; local c = clone a; c[0] = 9; print(a[0] + ` ` + c[0] + ` ` + c.len());"),
              "7 9 1");
}

TEST_F(StdlibTest, BlobCopiesBetweenBlobs) {
    EXPECT_EQ(run("local a = blob(); a.writen(0x11223344, 'i'); a.seek(1); local part = a.readblob(10);"
                  "print(part.len() + ` ` + part[0]); local c = blob(); c.writeblob(part); print(` ` + c.len());"),
              "3 51 3");
}

TEST_F(StdlibTest, ByteOrderHelpers) {
    EXPECT_EQ(run("print(format(`%04x %08x %08x`, swap2(0x1234), swap4(0x11223344), castf2i(1.0)));"
                  "print(` ` + casti2f(0x3f800000) + ` ` + swapfloat(swapfloat(2.5)));"),
              "3412 44332211 3f800000 1 2.5");
}

TEST_F(StdlibTest, HostCreatesAndReadsBlobs) {
    auto *bytes = static_cast<unsigned char *>(sqstd_createblob(v, 3));
    ASSERT_NE(bytes, nullptr);
    bytes[0] = 42;
    EXPECT_EQ(sqstd_getblobsize(v, -1), 3);
    SQUserPointer again = nullptr;
    ASSERT_TRUE(SQ_SUCCEEDED(sqstd_getblob(v, -1, &again)));
    EXPECT_EQ(again, bytes);
    sq_pushroottable(v);
    sq_pushstring(v, "hostblob", -1);
    sq_push(v, -3);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 2);
    EXPECT_EQ(run("print(hostblob[0] + ` ` + hostblob.len());"), "42 3");
    sq_pushinteger(v, 5);
    EXPECT_EQ(sqstd_getblobsize(v, -1), -1);
    EXPECT_TRUE(SQ_FAILED(sqstd_getblob(v, -1, &again)));
    sq_poptop(v);
}

// ---------------------------------------------------------------- math

TEST_F(StdlibTest, MathResultsAreFloatsExceptAbsAndRand) {
    EXPECT_EQ(run("print(sqrt(16) + ` ` + typeof sqrt(16) + ` ` + floor(2.7) + ` ` + typeof floor(2) + ` ` + ceil(-1.5));"),
              "4 float 2 float -1");
    EXPECT_EQ(run("print(abs(-5) + ` ` + typeof abs(-5) + ` ` + fabs(-2.5) + ` ` + pow(2, 10) + ` ` + atan2(0, 1));"),
              "5 integer 2.5 1024 0");
    EXPECT_EQ(run("print((PI > 3.14159 && PI < 3.1416) + ` ` + typeof RAND_MAX);"), "true integer");
    EXPECT_EQ(run("print(exp(0) + ` ` + log(1) + ` ` + log10(1000) + ` ` + sin(0) + ` ` + cos(0));"), "1 0 3 0 1");
}

TEST_F(StdlibTest, RandRepeatsAfterTheSameSeed) {
    EXPECT_EQ(run("srand(7); local a = [rand(), rand()]; srand(7);"
                  "print(a[0] == rand() && a[1] == rand() && a[0] >= 0 && a[0] <= RAND_MAX);"),
              "true");
}

TEST_F(StdlibTest, MathRejectsNonNumbers) { EXPECT_EQ(run("sqrt(\"x\");").rfind("error: ", 0), 0u); }

// ---------------------------------------------------------------- string

TEST_F(StdlibTest, FormatFromScripts) {
    EXPECT_EQ(run("print(format(`%d-%s-%.1f-%x`, 12, `ab`, 0.25, 255));"), "12-ab-0.2-ff");
    EXPECT_EQ(run("format(`%d`);"), "error: not enough parameters for the given format string");
    EXPECT_EQ(run("format(`%d`, `x`);"), "error: integer expected for the specified format");
    EXPECT_EQ(run("format(`%s`, []);"), "error: string expected for the specified format");
}

TEST_F(StdlibTest, SplitDropsOnlyTheTrailingEmptyPiece) {
    EXPECT_EQ(run("foreach (p in split(`a,,b,`, `,`)) print(`[` + p + `]`);"), "[a][][b]");
    EXPECT_EQ(run("foreach (p in split(`,a;;b`, `,;`, true)) print(`[` + p + `]`);"), "[a][b]");
    EXPECT_EQ(run("print(split(``, `,`).len() + ` ` + split(`,`, `,`).len());"), "0 1");
    EXPECT_EQ(run("split(`abc`, ``);"), "error: empty separators string");
}

TEST_F(StdlibTest, StripEscapeAndAffixes) {
    EXPECT_EQ(run("print(`[` + strip(` \\t x y \\n`) + `][` + lstrip(`  a `) + `][` + rstrip(` a  `) + `]`);"),
              "[x y][a ][ a]");
    EXPECT_EQ(run("print(escape(\"a\\\"b\\\\c\\n\\x7f\"));"), "a\\\"b\\\\c\\x0a\\x7f");
    EXPECT_EQ(run("print(startswith(`abc`, `ab`) + ` ` + startswith(`a`, `ab`) + ` ` + endswith(`abc`, `bc`) + ` ` "
                  "+ endswith(`abc`, ``));"),
              "true false true true");
}

TEST_F(StdlibTest, RegexpSearchReportsOffsets) {
    EXPECT_EQ(run("local r = regexp(@\"(\\d+)-(\\d+)\"); local m = r.search(`ab 12-345 x`);"
                  "print(m.begin + ` ` + m.end + ` ` + r.subexpcount() + ` ` + typeof r);"),
              "3 9 3 regexp");
    EXPECT_EQ(run("print(regexp(`b`).search(`abab`, 2).begin);"), "3");
    EXPECT_EQ(run("print(regexp(`^b`).search(`abab`, 1).begin);"), "1");
    EXPECT_EQ(run("print(regexp(`x`).search(`abc`));"), "null");
}

TEST_F(StdlibTest, RegexpCaptureListsEveryGroup) {
    EXPECT_EQ(run("local c = regexp(@\"(\\w+)=(\\w+)?;\").capture(`k=v; q=;`, 4);"
                  "foreach (g in c) print(g.begin + `:` + g.end + ` `);"),
              "5:8 5:6 -1:-1 ");
    EXPECT_EQ(run("print(regexp(`z`).capture(`abc`));"), "null");
}

TEST_F(StdlibTest, RegexpMatchAndErrors) {
    EXPECT_EQ(run("local r = regexp(`[a-c]+`); print(r.match(`abca`) + ` ` + r.match(`abcd`));"), "true false");
    EXPECT_EQ(run("regexp(`(a`);").rfind("error: ", 0), 0u);
    EXPECT_EQ(run("local r = regexp(`a`); print(r.search(`abc`, 4) + ` ` + r.search(`abc`, -1) + ` ` + r.capture(`abc`, 9));"),
              "null null null");
}

// ---------------------------------------------------------------- system

TEST_F(StdlibTest, DateInUniversalTime) {
    EXPECT_EQ(run("local d = date(1709210096, 'u');"
                  "print(d.year + `-` + d.month + `-` + d.day + ` ` + d.hour + `:` + d.min + `:` + d.sec + ` ` + d.wday "
                  "+ ` ` + d.yday);"),
              "2024-1-29 12:34:56 4 59");
    EXPECT_EQ(run("date(0, 'x');"), "error: invalid format");
}

TEST_F(StdlibTest, EnvironmentClockAndTime) {
    ::setenv("ACORN_STDLIB_TEST_VARIABLE", "value 1", 1);
    EXPECT_EQ(run("print(getenv(`ACORN_STDLIB_TEST_VARIABLE`) + ` ` + getenv(`ACORN_NO_SUCH_VARIABLE_9`));"),
              "value 1 null");
    EXPECT_EQ(run("print(typeof clock() + ` ` + typeof time() + ` ` + (time() > 1600000000));"), "float integer true");
}

TEST_F(StdlibTest, RemoveAndRenameReportFailures) {
    const std::string from = temporary_path("from.txt");
    const std::string to = temporary_path("to.txt");
    std::FILE *file = std::fopen(from.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    EXPECT_EQ(run("rename(`" + from + "`, `" + to + "`); remove(`" + to + "`); print(`ok`);"), "ok");
    EXPECT_EQ(run("remove(`" + to + "`);"), "error: remove() failed");
    EXPECT_EQ(run("rename(`" + from + "`, `" + to + "`);"), "error: rename() failed");
    EXPECT_EQ(run("remove(`" + to + "\\x00tail`);"), "error: string with a zero byte where a name is expected");
}

// ---------------------------------------------------------------- io

TEST_F(StdlibTest, FileRoundTrip) {
    const std::string path = temporary_path("data.bin");
    EXPECT_EQ(run("local f = file(`" + path + "`, `wb`); f.writen(1234, 'i'); f.writen(2.5, 'f'); f.close();"
                  "local g = file(`" + path + "`, `rb`); print(g.len() + ` ` + g.readn('i') + ` ` + g.readn('f'));"
                  "print(` ` + g.tell()); g.close();"),
              "8 1234 2.5 8");
    std::remove(path.c_str());
}

TEST_F(StdlibTest, FileErrors) {
    const std::string missing = temporary_path("missing.bin");
    EXPECT_EQ(run("file(`" + missing + "`, `rb`);"), "error: cannot open file");
    EXPECT_EQ(run("file(`" + missing + "`, `z`);"), "error: cannot open file");
    const std::string path = temporary_path("closed.bin");
    EXPECT_EQ(run("local f = file(`" + path + "`, `wb`); f.close(); f.writen(1, 'b');"), "error: the stream is invalid");
    EXPECT_EQ(run("local f = file(`" + path + "`, `rb`); f.readn('i');"), "error: io error");
    std::remove(path.c_str());
}

TEST_F(StdlibTest, FileBlobTransfer) {
    const std::string path = temporary_path("blob.bin");
    EXPECT_EQ(run("local b = blob(); b.writen(0x41424344, 'i'); local f = file(`" + path + "`, `w+b`);"
                  "f.writeblob(b); f.seek(0); local back = f.readblob(100); f.close();"
                  "print(back.len() + ` ` + back[0]);"),
              "4 68");
    std::remove(path.c_str());
}

TEST_F(StdlibTest, StandardStreamsAreFiles) {
    EXPECT_EQ(run("print(typeof stdout + ` ` + (stdout instanceof file) + ` ` + (stdin instanceof file));"),
              "file true true");
}

TEST_F(StdlibTest, DofileAndLoadfileRunScriptFiles) {
    const std::string path = temporary_path("script.nut");
    std::FILE *file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("\xEF\xBB\xBFloaded_value <- 5; return loaded_value * 2;", file);
    std::fclose(file);
    EXPECT_EQ(run("print(dofile(`" + path + "`) + ` ` + loaded_value + ` ` + typeof loadfile(`" + path + "`));"),
              "10 5 function");
    EXPECT_EQ(run("dofile(`" + temporary_path("none.nut") + "`);"), "error: cannot open the file");
    file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    EXPECT_EQ(run("print(dofile(`" + path + "`));"), "null");
    std::remove(path.c_str());
}

TEST_F(StdlibTest, CompiledClosureFileRunsLikeItsSource) {
    const std::string source = temporary_path("compiled.nut");
    const std::string compiled = temporary_path("compiled.cnut");
    std::FILE *file = std::fopen(source.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("return 6 * 7;", file);
    std::fclose(file);
    EXPECT_EQ(run("writeclosuretofile(`" + compiled + "`, loadfile(`" + source + "`)); print(dofile(`" + compiled + "`));"),
              "42");
    std::remove(source.c_str());
    std::remove(compiled.c_str());
}

TEST_F(StdlibTest, BrokenFilesGiveErrors) {
    const std::string path = temporary_path("broken.cnut");
    std::FILE *file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("\xFA\xFA garbage", file);
    std::fclose(file);
    EXPECT_EQ(run("loadfile(`" + path + "`);").rfind("error: ", 0), 0u);
    file = std::fopen(path.c_str(), "wb");
    std::fputs("local x = ;", file);
    std::fclose(file);
    EXPECT_EQ(run("loadfile(`" + path + "`);").rfind("error: ", 0), 0u);
    std::remove(path.c_str());
}

// A file read never grows past the longest string, and a blob read takes
// memory only for the bytes the stream really holds.
TEST_F(StdlibTest, ReadsAreBoundedByTheData) {
    EXPECT_EQ(run("loadfile(`/dev/zero`);"), "error: the file is too large");
    EXPECT_EQ(run("local b = blob(); b.writen(0x0102, 's'); b.seek(0);"
                  "local r = b.readblob(0x40000000); print(r.len() + ` ` + r[0] + ` ` + r[1]);"),
              "2 2 1");
}

TEST_F(StdlibTest, EscapedStringsLongerThanTheLimitAreRefused) {
    EXPECT_EQ(run("local s = `\x01`; for (local i = 0; i < 25; i++) s += s;"
                  "try { escape(s); } catch (e) { print(e + ` ` + escape(s.slice(0, 3))); }"),
              "string too long \\x01\\x01\\x01");
}

// ---------------------------------------------------------------- aux

TEST_F(StdlibTest, RuntimeErrorReportShowsCallStackAndLocals) {
    sqstd_seterrorhandlers(v);
    const std::string source = "function inner(n) {\n"
                               "  local s = \"text\", f = 1.5, t = {}, a = [], z = null, b = true;\n"
                               "  throw \"boom\";\n"
                               "}\n"
                               "inner(3);\n";
    ASSERT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(v, source.c_str(), static_cast<SQInteger>(source.size()), "report.nut", SQTrue)));
    sq_pushroottable(v);
    EXPECT_TRUE(SQ_FAILED(sq_call(v, 1, SQFalse, SQTrue)));
    sq_poptop(v);
    EXPECT_EQ(harness.errors().rfind("\nAN ERROR HAS OCCURRED [boom]\n\nCALLSTACK\n*FUNCTION [inner()] report.nut line [3]\n", 0), 0u)
        << harness.errors();
    for (const char *line : {"\nLOCALS\n", "[n] 3\n", "[s] \"text\"\n", "[f] 1.5\n", "[t] TABLE\n", "[a] ARRAY\n",
                             "[z] NULL\n", "[b] true\n", "[this] TABLE\n"}) {
        EXPECT_NE(harness.errors().find(line), std::string::npos) << line << " in\n" << harness.errors();
    }
}

TEST_F(StdlibTest, NonStringErrorIsReportedAsUnknown) {
    sqstd_seterrorhandlers(v);
    const std::string source = "throw 12;";
    ASSERT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(v, source.c_str(), static_cast<SQInteger>(source.size()), "t.nut", SQTrue)));
    sq_pushroottable(v);
    EXPECT_TRUE(SQ_FAILED(sq_call(v, 1, SQFalse, SQTrue)));
    sq_poptop(v);
    EXPECT_EQ(harness.errors().rfind("\nAN ERROR HAS OCCURRED [unknown]\n", 0), 0u) << harness.errors();
}

TEST_F(StdlibTest, CompileErrorReportNamesSourceLineAndColumn) {
    sqstd_seterrorhandlers(v);
    const std::string source = "local a = 1;\nlocal = 2;\n";
    EXPECT_TRUE(SQ_FAILED(sq_compilebuffer(v, source.c_str(), static_cast<SQInteger>(source.size()), "bad.nut", SQTrue)));
    EXPECT_EQ(harness.errors().rfind("bad.nut line = (2) column = (", 0), 0u) << harness.errors();
    EXPECT_NE(harness.errors().find(") : error "), std::string::npos) << harness.errors();
}

TEST_F(StdlibTest, RegistrationNeedsATableOnTop) {
    sq_pushinteger(v, 1);
    EXPECT_TRUE(SQ_FAILED(sqstd_register_mathlib(v)));
    EXPECT_TRUE(SQ_FAILED(sqstd_register_bloblib(v)));
    EXPECT_EQ(sq_gettop(v), 1);
    sq_poptop(v);
}

}  // namespace
