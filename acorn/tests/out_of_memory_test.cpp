// Memory running out while a script grows a string, an array or a table is
// the script error "out of memory", which the script can catch, and the VM
// stays usable. The allocators of this test program (operator new and the
// buffer allocator of array storage) refuse any single allocation above a
// limit while a test arms it.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "areallocvector.h"
#include "script_harness.h"

namespace {

std::atomic<std::size_t> g_largest_allowed{0};  // 0: no limit

void *allocate(std::size_t size) {
    const std::size_t limit = g_largest_allowed.load(std::memory_order_relaxed);
    if (limit != 0 && size > limit) return nullptr;
    return std::malloc(size == 0 ? 1 : size);
}

void *allocate_or_throw(std::size_t size) {
    if (void *p = allocate(size)) return p;
    throw std::bad_alloc();
}

}  // namespace

void *acorn_buffer_realloc(void *buffer, size_t bytes) {
    const std::size_t limit = g_largest_allowed.load(std::memory_order_relaxed);
    if (limit != 0 && bytes > limit) return nullptr;
    return std::realloc(buffer, bytes);
}

void *operator new(std::size_t size) { return allocate_or_throw(size); }
void *operator new[](std::size_t size) { return allocate_or_throw(size); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept { return allocate(size); }
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept { return allocate(size); }
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }
void operator delete(void *p, const std::nothrow_t &) noexcept { std::free(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept { std::free(p); }

namespace {

class OutOfMemory : public ::testing::Test {
   protected:
    void TearDown() override { g_largest_allowed = 0; }

    // Runs `source` with no allocation above 1 MiB allowed.
    std::string run_short_of_memory(const std::string &source) {
        g_largest_allowed = std::size_t(1) << 20;
        std::string result = harness_.run(source);
        g_largest_allowed = 0;
        return result;
    }

    acorn_test::ScriptHarness harness_{acorn_test::ScriptHarness::Libraries::Standard};
};

TEST_F(OutOfMemory, GrowingValuesRaiseACatchableError) {
    struct Case {
        const char *what;
        const char *grow;
        const char *error = "out of memory";
    };
    const Case cases[] = {
        {"string concatenation", "local s = \"x\"; while (true) s += s;"},
        {"array push", "local a = []; while (true) a.push(0);"},
        {"array literal append", "local a = []; while (true) a.append([1, 2]);"},
        {"array resize", "[].resize(1 << 20);"},
        {"array()", "array(1 << 20);"},
        {"table new slot", "local t = {}; local i = 0; while (true) t[i++] <- i;"},
        {"format", "local s = \"x\"; while (true) s = format(\"%s%s\", s, s);"},
        {"escape", "local s = \"\\x01\"; while (true) s = escape(s);"},
        // A stream reports any write it could not make as an io error.
        {"blob write", "local b = blob(); while (true) b.writen(0, 'i');", "io error"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(run_short_of_memory(std::string("try { ") + c.grow + " } catch (e) { print(e); }"), c.error)
            << c.what;
    }
}

TEST_F(OutOfMemory, UncaughtItEndsTheScriptAndTheVmRunsOn) {
    EXPECT_EQ(run_short_of_memory("local t = []; function grow() { while (true) t.push(t.len()); } grow();"),
              "error: out of memory");
    EXPECT_EQ(harness_.run("local a = [1, 2]; a.push(3); print(a.len() + \" \" + (\"a\" + \"b\"));"), "3 ab");
}

TEST_F(OutOfMemory, InsideACallbackItReachesTheScriptThatCalledTheNative) {
    EXPECT_EQ(run_short_of_memory("local big = [];"
                                  "try { [1, 2].map(function(x) { while (true) big.push(x); }); }"
                                  "catch (e) { print(e + \" \" + (big.len() > 0)); }"),
              "out of memory true");
}

// The host's calls get the error too, never the exception.
TEST_F(OutOfMemory, ArrayGrowthThroughTheApiFailsWithAnError) {
    HSQUIRRELVM v = harness_.vm();
    const SQInteger top = sq_gettop(v);
    sq_newarray(v, 0);
    for (SQInteger i = 0; i < 4096; ++i) {
        sq_pushinteger(v, i);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_arrayappend(v, -2)));
    }
    sq_arrayresize(v, -1, SQInteger(1) << 16);  // full: the next element needs a bigger buffer
    g_largest_allowed = std::size_t(1) << 16;
    const char *calls[] = {"append", "insert"};
    for (const char *call : calls) {
        sq_pushinteger(v, 7);
        const SQRESULT result =
            call == calls[0] ? sq_arrayappend(v, -2) : sq_arrayinsert(v, -2, 0);
        EXPECT_TRUE(SQ_FAILED(result)) << call;
        sq_getlasterror(v);
        const SQChar *error = nullptr;
        sq_getstring(v, -1, &error);
        EXPECT_STREQ(error, "out of memory") << call;
        sq_settop(v, top + 1);
    }
    g_largest_allowed = 0;
    EXPECT_EQ(sq_getsize(v, -1), SQInteger(1) << 16);  // unchanged
    sq_settop(v, top);
}

}  // namespace
