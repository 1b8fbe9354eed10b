// Compiled-closure files: a round trip keeps behaviour, and damaged or
// foreign files are rejected (or load as something safe to run).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "avm.h"
#include "script_harness.h"
#include "squirrel.h"

namespace {

struct Buffer {
    std::vector<unsigned char> bytes;
    size_t pos = 0;
};

SQInteger write_buffer(SQUserPointer up, SQUserPointer data, SQInteger size) {
    auto *b = static_cast<Buffer *>(up);
    auto *p = static_cast<unsigned char *>(data);
    b->bytes.insert(b->bytes.end(), p, p + size);
    return size;
}

SQInteger read_buffer(SQUserPointer up, SQUserPointer data, SQInteger size) {
    auto *b = static_cast<Buffer *>(up);
    size_t n = std::min(static_cast<size_t>(size), b->bytes.size() - b->pos);
    if (n == 0) return 0;  // an empty vector's data() may be null
    std::memcpy(data, b->bytes.data() + b->pos, n);
    b->pos += n;
    return static_cast<SQInteger>(n);
}

SQInteger refuse_write(SQUserPointer, SQUserPointer, SQInteger) { return -1; }

const char kScript[] =
    "class Point { x = 0; y = 0.5; constructor(a) { x = a; } function sum() { return x + y; } }\n"
    "function gen(n) { for (local i = 0; i < n; i++) yield i * 2; }\n"
    "local total = 0;\n"
    "foreach (v in gen(4)) total += v;\n"
    "local s = \"\";\n"
    "try { throw \"caught\"; } catch (e) { s = e; }\n"
    "local f = function(a, b = 3) { local k = a; return @() k * b; };\n"
    "switch (total) { case 12: s += \" twelve\"; break; default: s += \" other\"; }\n"
    "print(Point(2).sum() + \" \" + total + \" \" + s + \" \" + f(5)() + \" \" + (true ? null : 1));\n";

class Serialize : public ::testing::Test {
   protected:
    acorn_test::ScriptHarness harness;
    HSQUIRRELVM v = harness.vm();

    Buffer compiled(const char *src) {
        Buffer b;
        EXPECT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(v, src, static_cast<SQInteger>(std::strlen(src)), "s.nut", SQTrue)));
        EXPECT_TRUE(SQ_SUCCEEDED(sq_writeclosure(v, write_buffer, &b)));
        sq_pop(v, 1);
        return b;
    }

    bool load(Buffer b) {
        b.pos = 0;
        SQInteger top = sq_gettop(v);
        bool ok = SQ_SUCCEEDED(sq_readclosure(v, read_buffer, &b));
        EXPECT_EQ(sq_gettop(v), top + (ok ? 1 : 0));
        return ok;
    }

    // Runs the closure on top of the stack, pops it, returns its output.
    std::string run_top() {
        harness.printed().clear();
        sq_pushroottable(v);
        bool ok = SQ_SUCCEEDED(sq_call(v, 1, SQFalse, SQFalse));
        sq_pop(v, 1);
        return ok ? harness.printed() : "error";
    }

    std::string last_error() {
        sq_getlasterror(v);
        const SQChar *s = "";
        sq_getstring(v, -1, &s);
        std::string out = s;
        sq_pop(v, 1);
        return out;
    }

    // Runs the loaded closure in a child process that stops after a short
    // time (a damaged jump may loop forever); true unless the child crashed.
    bool runs_without_crashing() {
        pid_t child = fork();
        if (child == 0) {
            itimerval limit{};
            limit.it_value.tv_usec = 200000;
            setitimer(ITIMER_REAL, &limit, nullptr);
            run_top();
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (WIFEXITED(status)) return WEXITSTATUS(status) == 0;
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM;
    }

    // The file with one header field replaced.
    Buffer with_byte(Buffer b, size_t at, unsigned char value) {
        b.bytes[at] = value;
        return b;
    }
};

TEST_F(Serialize, RoundTripKeepsBehaviour) {
    ASSERT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(v, kScript, sizeof kScript - 1, "s.nut", SQTrue)));
    std::string direct = run_top();
    ASSERT_EQ(direct, "2.5 12 caught twelve 15 null");
    Buffer file = compiled(kScript);
    ASSERT_TRUE(load(file));
    EXPECT_EQ(run_top(), direct);
}

TEST_F(Serialize, SavedClosureKeepsItsDefaultParameterValues) {
    const char *src = "local d = 40; return function(a, b = d + 2, c = \"s\") { return a + b + c; };";
    ASSERT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(v, src, static_cast<SQInteger>(std::strlen(src)), "s.nut", SQTrue)));
    sq_pushroottable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQFalse)));
    Buffer file;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_writeclosure(v, write_buffer, &file)));
    sq_pop(v, 2);
    ASSERT_TRUE(load(file));
    sq_pushroottable(v);
    sq_pushinteger(v, 1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 2, SQTrue, SQFalse)));
    const SQChar *result = "";
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getstring(v, -1, &result)));
    EXPECT_STREQ(result, "43s");
    sq_pop(v, 2);
}

TEST_F(Serialize, ReloadedFunctionsKeepNamesAndLines) {
    Buffer file = compiled("function named() {\n\n  throw \"x\";\n}\nnamed();");
    ASSERT_TRUE(load(file));
    const SQFunctionProto *fn = sq_closure(v->get_at(-1))->fn();
    ASSERT_EQ(fn->functions.size(), 1u);
    const SQFunctionProto *child = sq_proto(fn->functions[0]);
    EXPECT_STREQ(sq_str(child->name)->data, "named");
    EXPECT_STREQ(sq_str(child->sourcename)->data, "s.nut");
    EXPECT_EQ(child->line_of(0), 3);
    sq_pop(v, 1);
}

TEST_F(Serialize, ForeignOrOtherVersionFilesAreRejected) {
    Buffer file = compiled("print(1)");
    EXPECT_FALSE(load(with_byte(file, 2, 'X')));
    EXPECT_EQ(last_error(), "the data is not an Acorn compiled script");
    EXPECT_FALSE(load(with_byte(file, 6, 1)));
    EXPECT_EQ(last_error(), "compiled script format version 1 is not supported (expected 2)");
    EXPECT_FALSE(load(with_byte(file, 10, 8)));
    EXPECT_NE(last_error().find("8-byte integers"), std::string::npos);
    EXPECT_FALSE(load(with_byte(file, 11, 8)));
    EXPECT_NE(last_error().find("8-byte floats"), std::string::npos);
}

TEST_F(Serialize, ClosuresWithFreeVariablesAndFailedWritesReportErrors) {
    const char *src = "local k = 1; return @() k;";
    ASSERT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(v, src, static_cast<SQInteger>(std::strlen(src)), "s.nut", SQTrue)));
    sq_pushroottable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQFalse)));
    Buffer b;
    EXPECT_TRUE(SQ_FAILED(sq_writeclosure(v, write_buffer, &b)));
    EXPECT_EQ(last_error(), "a closure with free variables bound cannot be serialized");
    sq_pop(v, 2);
    sq_pushinteger(v, 3);
    EXPECT_TRUE(SQ_FAILED(sq_writeclosure(v, write_buffer, &b)));
    EXPECT_EQ(last_error(), "the object is not a closure");
    sq_pop(v, 1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(v, "print(1)", 8, "s.nut", SQTrue)));
    EXPECT_TRUE(SQ_FAILED(sq_writeclosure(v, refuse_write, nullptr)));
    EXPECT_EQ(last_error(), "cannot write the compiled script");
    sq_pop(v, 1);
}

TEST_F(Serialize, EveryTruncationIsRejected) {
    Buffer file = compiled(kScript);
    for (size_t n = 0; n < file.bytes.size(); ++n) {
        Buffer cut = file;
        cut.bytes.resize(n);
        ASSERT_FALSE(load(cut)) << "prefix of " << n << " bytes loaded";
        ASSERT_FALSE(last_error().empty());
    }
}

TEST_F(Serialize, EveryByteFlipIsRejectedOrSafe) {
    Buffer file = compiled(kScript);
    int accepted = 0;
    for (size_t at = 0; at < file.bytes.size(); ++at) {
        for (unsigned char mask : {0x01, 0x80, 0xFF}) {
            Buffer damaged = file;
            damaged.bytes[at] ^= mask;
            if (!load(damaged)) continue;
            ++accepted;
            ASSERT_TRUE(runs_without_crashing()) << "byte " << at << " ^ " << int(mask);
            sq_pop(v, 1);
        }
    }
    EXPECT_LT(accepted, static_cast<int>(file.bytes.size()) * 3);
}

}  // namespace
