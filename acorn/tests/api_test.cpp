// The embedding API as a host uses it. Every test also checks that the
// stack is back where it started, so a call that leaks or eats a slot fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "script_harness.h"
#include "squirrel.h"

namespace {

class ApiTest : public ::testing::Test {
   protected:
    acorn_test::ScriptHarness harness;
    HSQUIRRELVM v = harness.vm();
    SQInteger top_at_start = sq_gettop(v);

    void TearDown() override { EXPECT_EQ(sq_gettop(v), top_at_start) << "the stack is unbalanced"; }

    std::string last_error() {
        sq_getlasterror(v);
        const SQChar *s = nullptr;
        std::string out = SQ_SUCCEEDED(sq_getstring(v, -1, &s)) ? s : "<not a string>";
        sq_pop(v, 1);
        return out;
    }
    // Pushes the root-table slot `name`.
    void push_global(const char *name) {
        sq_pushroottable(v);
        sq_pushstring(v, name, -1);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
        sq_remove(v, -2);
    }
    void set_global_top(const char *name) {
        sq_pushroottable(v);
        sq_pushstring(v, name, -1);
        sq_push(v, -3);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_newslot(v, -3, SQFalse)));
        sq_pop(v, 2);
    }
    // Compiles and runs `src` with the root table as `this`; returns whether it succeeded.
    bool run(const char *src, bool raiseerror = true) {
        if (SQ_FAILED(sq_compilebuffer(v, src, static_cast<SQInteger>(strlen(src)), "test.nut", SQTrue))) return false;
        sq_pushroottable(v);
        bool ok = SQ_SUCCEEDED(sq_call(v, 1, SQFalse, raiseerror ? SQTrue : SQFalse));
        sq_pop(v, 1);
        return ok;
    }
};

// ---------------------------------------------------------------------------
// Native classes, type tags and release hooks

struct Payload {
    int value;
    int released;
};

int g_tag_a = 0, g_tag_b = 0;
std::vector<std::pair<SQUserPointer, SQInteger>> g_released;

SQInteger record_release(SQUserPointer up, SQInteger size) {
    g_released.emplace_back(up, size);
    return 0;
}

class NativeClassTest : public ApiTest {
   protected:
    void SetUp() override {
        ApiTest::SetUp();
        g_released.clear();
    }
    // Leaves a class tagged `tag` with a Payload per instance on the stack.
    void push_native_class(void *tag) {
        ASSERT_TRUE(SQ_SUCCEEDED(sq_newclass(v, SQFalse)));
        ASSERT_TRUE(SQ_SUCCEEDED(sq_settypetag(v, -1, tag)));
        ASSERT_TRUE(SQ_SUCCEEDED(sq_setclassudsize(v, -1, sizeof(Payload))));
    }
};

TEST_F(NativeClassTest, InstanceCarriesZeroedAlignedUserDataFoundThroughItsTag) {
    push_native_class(&g_tag_a);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_createinstance(v, -1)));
    SQUserPointer up = nullptr;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getinstanceup(v, -1, &up, &g_tag_a)));
    ASSERT_NE(up, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(up) % 16, 0u);
    EXPECT_EQ(static_cast<Payload *>(up)->value, 0);
    EXPECT_EQ(sq_getsize(v, -1), static_cast<SQInteger>(sizeof(Payload)));

    EXPECT_TRUE(SQ_FAILED(sq_getinstanceup(v, -1, &up, &g_tag_b)));
    EXPECT_EQ(last_error(), "invalid type tag");
    EXPECT_TRUE(SQ_FAILED(sq_getinstanceup(v, -2, &up, nullptr)));  // the class, not an instance
    EXPECT_EQ(last_error(), "the object is not a class instance");
    // Once instantiated, the layout is fixed.
    EXPECT_TRUE(SQ_FAILED(sq_setclassudsize(v, -2, 64)));
    sq_pop(v, 2);
}

TEST_F(NativeClassTest, DerivedClassesPassTheTagCheckOfTheirBaseAndUnrelatedOnesFail) {
    push_native_class(&g_tag_a);
    set_global_top("Native");
    push_native_class(&g_tag_b);
    set_global_top("Other");
    sq_pop(v, 2);
    ASSERT_TRUE(run("class Scripted extends Native { extra = 1; }\n"
                    "class Deeper extends Scripted {}\n"
                    "class Plain {}\n"));
    for (const char *name : {"Scripted", "Deeper"}) {
        push_global(name);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_createinstance(v, -1)));
        SQUserPointer up = nullptr;
        EXPECT_TRUE(SQ_SUCCEEDED(sq_getinstanceup(v, -1, &up, &g_tag_a))) << name;
        EXPECT_NE(up, nullptr) << name;  // the base's user-data size is inherited
        EXPECT_TRUE(SQ_FAILED(sq_getinstanceup(v, -1, &up, &g_tag_b))) << name;
        sq_pop(v, 2);
    }
    push_global("Plain");
    ASSERT_TRUE(SQ_SUCCEEDED(sq_createinstance(v, -1)));
    SQUserPointer up = nullptr;
    EXPECT_TRUE(SQ_FAILED(sq_getinstanceup(v, -1, &up, &g_tag_a)));
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getinstanceup(v, -1, &up, nullptr)));  // no tag: no check
    EXPECT_EQ(up, nullptr);
    sq_pop(v, 2);
}

TEST_F(NativeClassTest, ReleaseHookRunsExactlyAtTheLastRelease) {
    push_native_class(&g_tag_a);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_createinstance(v, -1)));
    sq_setreleasehook(v, -1, record_release);
    SQUserPointer up = nullptr;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getinstanceup(v, -1, &up, &g_tag_a)));
    HSQOBJECT handle;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getstackobj(v, -1, &handle)));
    sq_addref(v, &handle);
    sq_addref(v, &handle);
    EXPECT_EQ(sq_getvmrefcount(v, &handle), 2u);
    sq_pop(v, 2);
    EXPECT_TRUE(g_released.empty());
    EXPECT_FALSE(sq_release(v, &handle));
    EXPECT_TRUE(g_released.empty());
    EXPECT_TRUE(sq_release(v, &handle));
    ASSERT_EQ(g_released.size(), 1u);
    EXPECT_EQ(g_released[0].first, up);
    EXPECT_EQ(g_released[0].second, static_cast<SQInteger>(sizeof(Payload)));
}

TEST_F(NativeClassTest, ScriptInstanceHookRunsWhenTheScriptDropsIt) {
    push_native_class(&g_tag_a);
    sq_setreleasehook(v, -1, record_release);
    set_global_top("Native");
    sq_pop(v, 1);
    ASSERT_TRUE(run("local keep = Native(); ::held <- keep; keep = null;"));
    EXPECT_TRUE(g_released.empty());
    ASSERT_TRUE(run("::held = null;"));
    EXPECT_EQ(g_released.size(), 1u);
}

TEST_F(NativeClassTest, UserDataHookGetsItsBlockAndSize) {
    SQUserPointer p = sq_newuserdata(v, 24);
    ASSERT_NE(p, nullptr);
    sq_setreleasehook(v, -1, record_release);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_settypetag(v, -1, &g_tag_b)));
    SQUserPointer data = nullptr, tag = nullptr;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getuserdata(v, -1, &data, &tag)));
    EXPECT_EQ(data, p);
    EXPECT_EQ(tag, &g_tag_b);
    sq_pop(v, 1);
    ASSERT_EQ(g_released.size(), 1u);
    EXPECT_EQ(g_released[0].first, p);
    EXPECT_EQ(g_released[0].second, 24);
}

TEST_F(NativeClassTest, MemberHandlesReadAndWriteFieldsAndStatics) {
    ASSERT_TRUE(run("class K { f = 5; static s = 7; function m() { return f; } }"));
    push_global("K");
    HSQMEMBERHANDLE field, stat;
    sq_pushstring(v, "f", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getmemberhandle(v, -2, &field)));
    sq_pushstring(v, "s", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getmemberhandle(v, -2, &stat)));
    sq_pushstring(v, "missing", -1);
    EXPECT_TRUE(SQ_FAILED(sq_getmemberhandle(v, -2, &stat)));
    sq_pop(v, 1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_createinstance(v, -1)));
    sq_pushinteger(v, 42);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setbyhandle(v, -2, &field)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getbyhandle(v, -1, &field)));
    SQInteger i = 0;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getinteger(v, -1, &i)));
    EXPECT_EQ(i, 42);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getbyhandle(v, -3, &field)));  // the class keeps its default
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getinteger(v, -1, &i)));
    EXPECT_EQ(i, 5);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getbyhandle(v, -3, &stat)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getinteger(v, -1, &i)));
    EXPECT_EQ(i, 7);
    HSQMEMBERHANDLE bogus{SQFalse, 99};
    EXPECT_TRUE(SQ_FAILED(sq_getbyhandle(v, -1, &bogus)));
    sq_pop(v, 5);
}

// ---------------------------------------------------------------------------
// Native closures: parameter checks and free variables

SQInteger return_arg_count(HSQUIRRELVM vm) {
    sq_pushinteger(vm, sq_gettop(vm));
    return 1;
}

class NativeCallTest : public ApiTest {
   protected:
    // Calls the closure on top of the stack with `this` = root and `args`, keeping it there.
    bool call_with(std::initializer_list<SQInteger> ints, const char *str_arg = nullptr) {
        sq_pushroottable(v);
        for (SQInteger i : ints) sq_pushinteger(v, i);
        SQInteger n = 1 + static_cast<SQInteger>(ints.size());
        if (str_arg) {
            sq_pushstring(v, str_arg, -1);
            ++n;
        }
        bool ok = SQ_SUCCEEDED(sq_call(v, n, SQTrue, SQFalse));
        if (ok) sq_pop(v, 1);
        return ok;
    }
};

TEST_F(NativeCallTest, ParameterCountAndTypesAreCheckedBeforeTheCall) {
    sq_newclosure(v, return_arg_count, 0);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setparamscheck(v, 3, ".is")));
    EXPECT_TRUE(call_with({1}, "x"));
    EXPECT_FALSE(call_with({1}));
    EXPECT_EQ(last_error(), "wrong number of parameters");
    EXPECT_FALSE(call_with({1, 2}));
    EXPECT_EQ(last_error(), "parameter 2 has an invalid type 'integer' ; expected: 'string'");
    sq_pop(v, 1);
}

TEST_F(NativeCallTest, NegativeCountIsAMinimumAndAlternativesJoinWithBar) {
    sq_newclosure(v, return_arg_count, 0);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setparamscheck(v, -2, ".i|s")));
    EXPECT_TRUE(call_with({1}));
    EXPECT_TRUE(call_with({}, "s"));
    EXPECT_TRUE(call_with({1, 2, 3}));
    EXPECT_FALSE(call_with({}));
    EXPECT_EQ(last_error(), "wrong number of parameters");
    sq_pop(v, 1);
}

TEST_F(NativeCallTest, MatchTypemaskStringTakesTheCountFromTheMask) {
    sq_newclosure(v, return_arg_count, 0);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setparamscheck(v, SQ_MATCHTYPEMASKSTRING, "tii")));
    EXPECT_TRUE(call_with({1, 2}));
    EXPECT_FALSE(call_with({1}));
    EXPECT_FALSE(call_with({1, 2, 3}));
    sq_pop(v, 1);
}

TEST_F(NativeCallTest, NullFunctionGivesACallErrorNotACrash) {
    sq_pushinteger(v, 1);
    sq_newclosure(v, nullptr, 1);
    EXPECT_EQ(sq_gettop(v), top_at_start + 1);
    sq_pushroottable(v);
    EXPECT_TRUE(SQ_FAILED(sq_call(v, 1, SQFalse, SQFalse)));
    sq_pop(v, 1);
}

TEST_F(NativeCallTest, MalformedTypemasksAreRejected) {
    sq_newclosure(v, return_arg_count, 0);
    for (const char *bad : {"tz", "t||i", "|t", "t|"}) EXPECT_TRUE(SQ_FAILED(sq_setparamscheck(v, 2, bad))) << bad;
    sq_pop(v, 1);
    sq_pushinteger(v, 1);
    EXPECT_TRUE(SQ_FAILED(sq_setparamscheck(v, 1, "t")));  // not a native closure
    sq_pop(v, 1);
}

SQInteger sum_free_variables(HSQUIRRELVM vm) {
    // Arguments first (just `this` here), then the free variables.
    SQInteger a = 0, b = 0;
    if (sq_gettop(vm) != 3 || SQ_FAILED(sq_getinteger(vm, 2, &a)) || SQ_FAILED(sq_getinteger(vm, 3, &b)))
        return sq_throwerror(vm, "free variables are not where expected");
    sq_pushinteger(vm, a * 10 + b);
    return 1;
}

TEST_F(NativeCallTest, FreeVariablesFollowTheArguments) {
    sq_pushinteger(v, 4);
    sq_pushinteger(v, 2);
    sq_newclosure(v, sum_free_variables, 2);
    EXPECT_EQ(sq_gettop(v), top_at_start + 1);
    SQInteger nparams = 0, nfree = 0;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getclosureinfo(v, -1, &nparams, &nfree)));
    EXPECT_EQ(nfree, 2);
    sq_pushroottable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQTrue)));
    SQInteger r = 0;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getinteger(v, -1, &r)));
    EXPECT_EQ(r, 42);
    sq_pop(v, 1);
    sq_pushinteger(v, 9);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setfreevariable(v, -2, 1)));
    EXPECT_TRUE(SQ_FAILED(sq_setfreevariable(v, -1, 5)));
    sq_pushroottable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQTrue)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getinteger(v, -1, &r)));
    EXPECT_EQ(r, 49);
    sq_pop(v, 2);
}

SQInteger named_native(HSQUIRRELVM vm) {
    SQStackInfos si;
    if (SQ_FAILED(sq_stackinfos(vm, 0, &si))) return sq_throwerror(vm, "no stack info");
    sq_pushstring(vm, si.funcname, -1);
    return 1;
}

TEST_F(NativeCallTest, NativeClosureNameShowsInStackInfos) {
    sq_newclosure(v, named_native, 0);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setnativeclosurename(v, -1, "probe")));
    sq_pushroottable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQTrue)));
    const SQChar *name = nullptr;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getstring(v, -1, &name)));
    EXPECT_STREQ(name, "probe");
    sq_pop(v, 2);
    SQStackInfos si;
    EXPECT_TRUE(SQ_FAILED(sq_stackinfos(v, 0, &si)));  // nothing is running
}

std::vector<std::string> g_locals_seen;
SQInteger list_caller_locals(HSQUIRRELVM vm) {
    SQInteger before = sq_gettop(vm);
    for (SQUnsignedInteger i = 0;; ++i) {
        const SQChar *name = sq_getlocal(vm, 1, i);
        if (!name) break;
        SQInteger n = 0;
        std::string entry = name;
        if (SQ_SUCCEEDED(sq_getinteger(vm, -1, &n))) entry.append("=").append(std::to_string(n));
        g_locals_seen.push_back(entry);
        sq_pop(vm, 1);
    }
    if (sq_gettop(vm) != before) return sq_throwerror(vm, "sq_getlocal unbalanced the stack");
    return 0;
}

TEST_F(NativeCallTest, GetLocalReadsTheCallersVariables) {
    g_locals_seen.clear();
    sq_newclosure(v, list_caller_locals, 0);
    set_global_top("probe");
    sq_pop(v, 1);
    ASSERT_TRUE(run("local answer = 42; local other = 7; probe();"));
    EXPECT_NE(std::find(g_locals_seen.begin(), g_locals_seen.end(), "answer=42"), g_locals_seen.end());
    EXPECT_NE(std::find(g_locals_seen.begin(), g_locals_seen.end(), "other=7"), g_locals_seen.end());
    EXPECT_EQ(sq_getlocal(v, 0, 0), nullptr);  // nothing is running now
}

// ---------------------------------------------------------------------------
// Error handlers

std::vector<std::string> g_handled;
SQInteger record_error(HSQUIRRELVM vm) {
    const SQChar *msg = nullptr;
    g_handled.push_back(SQ_SUCCEEDED(sq_getstring(vm, 2, &msg)) ? msg : "<not a string>");
    return 0;
}

SQInteger throw_boom(HSQUIRRELVM vm) { return sq_throwerror(vm, "boom"); }

struct CompileError {
    std::string desc, source;
    SQInteger line, column;
};
std::vector<CompileError> g_compile_errors;
void record_compile_error(HSQUIRRELVM, const SQChar *desc, const SQChar *source, SQInteger line, SQInteger column) {
    g_compile_errors.push_back({desc, source, line, column});
}

class ErrorHandlerTest : public ApiTest {
   protected:
    void SetUp() override {
        ApiTest::SetUp();
        g_handled.clear();
        g_compile_errors.clear();
        sq_newclosure(v, record_error, 0);
        sq_seterrorhandler(v);
        sq_setcompilererrorhandler(v, record_compile_error);
    }
};

TEST_F(ErrorHandlerTest, RuntimeErrorReachesTheHandlerOnlyWhenRaised) {
    sq_newclosure(v, throw_boom, 0);
    sq_pushroottable(v);
    EXPECT_TRUE(SQ_FAILED(sq_call(v, 1, SQFalse, SQFalse)));
    EXPECT_TRUE(g_handled.empty());
    EXPECT_EQ(last_error(), "boom");
    sq_pushroottable(v);
    EXPECT_TRUE(SQ_FAILED(sq_call(v, 1, SQFalse, SQTrue)));
    EXPECT_EQ(g_handled, std::vector<std::string>{"boom"});
    sq_pop(v, 1);
}

TEST_F(ErrorHandlerTest, ScriptErrorsReachTheHandlerWithTheirMessage) {
    EXPECT_FALSE(run("local t = null; t.x = 1;"));
    ASSERT_EQ(g_handled.size(), 1u);
    EXPECT_NE(g_handled[0].find("null"), std::string::npos) << g_handled[0];
    EXPECT_FALSE(run("throw \"custom\";"));
    ASSERT_EQ(g_handled.size(), 2u);
    EXPECT_EQ(g_handled[1], "custom");
    EXPECT_TRUE(run("try { throw \"caught\"; } catch (e) {}"));
    EXPECT_EQ(g_handled.size(), 2u);
}

TEST_F(ErrorHandlerTest, CompileErrorsReachTheCompilerHandlerWithPosition) {
    const char *bad = "local a = 1;\nlocal b = ;\n";
    EXPECT_TRUE(SQ_FAILED(sq_compilebuffer(v, bad, static_cast<SQInteger>(strlen(bad)), "broken.nut", SQTrue)));
    ASSERT_EQ(g_compile_errors.size(), 1u);
    EXPECT_EQ(g_compile_errors[0].source, "broken.nut");
    EXPECT_EQ(g_compile_errors[0].line, 2);
    EXPECT_GT(g_compile_errors[0].column, 0);
    EXPECT_FALSE(g_compile_errors[0].desc.empty());
    EXPECT_EQ(last_error(), g_compile_errors[0].desc);

    EXPECT_TRUE(SQ_FAILED(sq_compilebuffer(v, bad, static_cast<SQInteger>(strlen(bad)), "quiet.nut", SQFalse)));
    EXPECT_EQ(g_compile_errors.size(), 1u);
    EXPECT_TRUE(g_handled.empty());
}

struct Source {
    const char *text;
    size_t pos;
};
SQInteger read_char(SQUserPointer p) {
    Source *s = static_cast<Source *>(p);
    return s->text[s->pos] ? s->text[s->pos++] : SQUIRREL_EOB;
}

TEST_F(ErrorHandlerTest, CompilingFromAReaderRunsTheScript) {
    Source src{"return 6 * 7;", 0};
    ASSERT_TRUE(SQ_SUCCEEDED(sq_compile(v, read_char, &src, "reader.nut", SQTrue)));
    sq_pushroottable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQTrue)));
    SQInteger r = 0;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getinteger(v, -1, &r)));
    EXPECT_EQ(r, 42);
    sq_pop(v, 2);
}

// ---------------------------------------------------------------------------
// Values, tables and arrays through the stack

TEST_F(ApiTest, BadIndicesGiveErrorsOrNullsNeverCrashes) {
    SQInteger i = 0;
    EXPECT_EQ(sq_gettype(v, 100), OT_NULL);
    EXPECT_EQ(sq_gettype(v, -100), OT_NULL);
    EXPECT_EQ(sq_gettype(v, 0), OT_NULL);
    EXPECT_TRUE(SQ_FAILED(sq_getinteger(v, 5, &i)));
    EXPECT_TRUE(SQ_FAILED(sq_get(v, 7)));
    EXPECT_TRUE(SQ_FAILED(sq_newslot(v, -1, SQFalse)));
    EXPECT_TRUE(SQ_FAILED(sq_call(v, 3, SQFalse, SQFalse)));
    EXPECT_TRUE(SQ_FAILED(sq_arrayappend(v, -1)));
    sq_remove(v, 9);
    sq_pop(v, 50);
    EXPECT_EQ(sq_gettop(v), 0);
    sq_pushinteger(v, 1);
    EXPECT_TRUE(SQ_FAILED(sq_getstring(v, -1, nullptr)));
    EXPECT_TRUE(SQ_FAILED(sq_next(v, -1)));
    sq_pop(v, 1);
}

TEST_F(ApiTest, AbsurdSizesAreRefusedNotAllocated) {
    sq_newarray(v, SQInteger(1) << 30);
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL);
    sq_pop(v, 1);
    EXPECT_EQ(sq_newuserdata(v, SQUnsignedInteger(1) << 31), nullptr);
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL);
    sq_pop(v, 1);
    sq_newarray(v, 2);
    EXPECT_TRUE(SQ_FAILED(sq_arrayresize(v, -1, SQInteger(1) << 30)));
    EXPECT_EQ(sq_getsize(v, -1), 2);
    sq_pop(v, 1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_newclass(v, SQFalse)));
    EXPECT_TRUE(SQ_FAILED(sq_setclassudsize(v, -1, SQInteger(1) << 30)));
    EXPECT_TRUE(SQ_FAILED(sq_setclassudsize(v, -1, -4)));
    sq_pop(v, 1);
    sq_newtableex(v, SQInteger(1) << 30);
    EXPECT_EQ(sq_gettype(v, -1), OT_TABLE);
    sq_pop(v, 1);
}

TEST_F(ApiTest, StackManipulation) {
    for (SQInteger i = 1; i <= 4; ++i) sq_pushinteger(v, i);
    sq_remove(v, 2);
    sq_push(v, 1);
    std::vector<SQInteger> got;
    for (SQInteger idx = 1; idx <= sq_gettop(v); ++idx) {
        SQInteger x = 0;
        sq_getinteger(v, idx, &x);
        got.push_back(x);
    }
    EXPECT_EQ(got, (std::vector<SQInteger>{1, 3, 4, 1}));
    sq_settop(v, 6);
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL);
    sq_settop(v, 0);
    EXPECT_EQ(sq_gettop(v), 0);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_reservestack(v, 100)));
    EXPECT_TRUE(SQ_FAILED(sq_reservestack(v, 1 << 30)));
}

TEST_F(ApiTest, TableSlotsEnumerateInInsertionOrderThroughNext) {
    sq_newtable(v);
    for (const char *k : {"c", "a", "b"}) {
        sq_pushstring(v, k, -1);
        sq_pushstring(v, k, -1);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_newslot(v, -3, SQFalse)));
    }
    sq_pushstring(v, "a", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_deleteslot(v, -2, SQTrue)));
    const SQChar *removed = nullptr;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getstring(v, -1, &removed)));
    EXPECT_STREQ(removed, "a");
    sq_pop(v, 1);
    sq_pushstring(v, "a", -1);
    sq_pushinteger(v, 1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_newslot(v, -3, SQFalse)));

    std::string order;
    sq_pushnull(v);
    while (SQ_SUCCEEDED(sq_next(v, -2))) {
        const SQChar *k = nullptr;
        sq_getstring(v, -2, &k);
        order += k;
        sq_pop(v, 2);
    }
    sq_pop(v, 1);
    EXPECT_EQ(order, "cba");
    EXPECT_EQ(sq_getsize(v, -1), 3);

    sq_pushstring(v, "missing", -1);
    EXPECT_TRUE(SQ_FAILED(sq_rawget(v, -2)));
    sq_pushnull(v);
    sq_pushinteger(v, 1);
    EXPECT_TRUE(SQ_FAILED(sq_newslot(v, -3, SQFalse)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_clear(v, -1)));
    EXPECT_EQ(sq_getsize(v, -1), 0);
    sq_pop(v, 1);
}

TEST_F(ApiTest, ArrayOperationsCheckTheirBounds) {
    sq_newarray(v, 0);
    for (SQInteger i = 0; i < 3; ++i) {
        sq_pushinteger(v, i);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_arrayappend(v, -2)));
    }
    sq_pushinteger(v, 9);
    EXPECT_TRUE(SQ_FAILED(sq_arrayinsert(v, -2, 5)));
    sq_pop(v, 1);
    sq_pushinteger(v, 9);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_arrayinsert(v, -2, 3)));
    EXPECT_TRUE(SQ_FAILED(sq_arrayremove(v, -1, 4)));
    EXPECT_TRUE(SQ_FAILED(sq_arrayremove(v, -1, -1)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_arrayremove(v, -1, 0)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_arrayreverse(v, -1)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_arraypop(v, -1, SQTrue)));
    SQInteger last = -1;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getinteger(v, -1, &last)));
    EXPECT_EQ(last, 1);
    sq_pop(v, 1);
    EXPECT_EQ(sq_getsize(v, -1), 2);  // [9, 2]
    EXPECT_TRUE(SQ_FAILED(sq_arrayresize(v, -1, -1)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_arrayresize(v, -1, 0)));
    EXPECT_TRUE(SQ_FAILED(sq_arraypop(v, -1, SQFalse)));
    sq_pop(v, 1);
}

TEST_F(ApiTest, WeakReferencesAndGarbageCollectionThroughTheApi) {
    sq_newtable(v);
    sq_pushstring(v, "self", -1);
    sq_push(v, -2);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_newslot(v, -3, SQFalse)));
    sq_weakref(v, -1);
    EXPECT_EQ(sq_collectgarbage(v), 0);  // the stack holds the table
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getweakrefval(v, -1)));
    EXPECT_EQ(sq_gettype(v, -1), OT_TABLE);
    sq_pop(v, 1);
    sq_remove(v, -2);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getweakrefval(v, -1)));  // only its own slot holds it now
    EXPECT_EQ(sq_gettype(v, -1), OT_TABLE);
    sq_pop(v, 1);
    EXPECT_EQ(sq_collectgarbage(v), 1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getweakrefval(v, -1)));
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL);
    sq_pop(v, 2);
    sq_pushinteger(v, 5);
    sq_weakref(v, -1);  // plain values are their own weak reference
    EXPECT_EQ(sq_gettype(v, -1), OT_INTEGER);
    sq_pop(v, 2);
}

TEST_F(ApiTest, ConversionsUseScriptSemantics) {
    ASSERT_TRUE(run("class T { function _tostring() { return \"custom\"; } }"));
    push_global("T");
    ASSERT_TRUE(SQ_SUCCEEDED(sq_createinstance(v, -1)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_tostring(v, -1)));
    const SQChar *s = nullptr;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getstring(v, -1, &s)));
    EXPECT_STREQ(s, "custom");
    sq_pop(v, 3);
    sq_pushfloat(v, 1234567.0f);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_tostring(v, -1)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getstring(v, -1, &s)));
    EXPECT_STREQ(s, "1.23457e+06");
    SQBool b = SQTrue;
    sq_pushfloat(v, 0.0f);
    sq_tobool(v, -1, &b);
    EXPECT_EQ(b, SQFalse);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_typeof(v, -1)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getstring(v, -1, &s)));
    EXPECT_STREQ(s, "float");
    sq_pop(v, 4);
}

TEST_F(ApiTest, BooleansAreNotNumbers) {
    sq_pushbool(v, SQTrue);
    SQInteger i = -1;
    SQFloat f = -1;
    SQBool b = SQFalse;
    EXPECT_TRUE(SQ_FAILED(sq_getinteger(v, -1, &i)));
    EXPECT_TRUE(SQ_FAILED(sq_getfloat(v, -1, &f)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getbool(v, -1, &b)));
    EXPECT_EQ(b, SQTrue);
    sq_pushinteger(v, 3);
    EXPECT_TRUE(SQ_FAILED(sq_getbool(v, -1, &b)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getfloat(v, -1, &f)));
    EXPECT_EQ(f, 3.0f);
    sq_pop(v, 2);
}

TEST_F(ApiTest, MemberAndClassAttributes) {
    ASSERT_TRUE(run("class A </ kind = \"widget\" /> { </ k = 5 /> f = 1; g = 2; }"));
    push_global("A");
    sq_pushstring(v, "f", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getattributes(v, -2)));
    sq_pushstring(v, "k", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    SQInteger k = 0;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getinteger(v, -1, &k)));
    EXPECT_EQ(k, 5);
    sq_pop(v, 2);
    sq_pushstring(v, "g", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getattributes(v, -2)));
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL);
    sq_pop(v, 1);
    sq_pushstring(v, "nope", -1);
    EXPECT_TRUE(SQ_FAILED(sq_getattributes(v, -2)));
    sq_pop(v, 1);
    // A null key names the class's own attributes; the old value comes back.
    sq_pushnull(v);
    sq_pushinteger(v, 77);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setattributes(v, -3)));
    ASSERT_EQ(sq_gettype(v, -1), OT_TABLE);
    sq_pop(v, 1);
    sq_pushnull(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getattributes(v, -2)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getinteger(v, -1, &k)));
    EXPECT_EQ(k, 77);
    sq_pop(v, 2);
}

TEST_F(ApiTest, ThreadsShareTheRootTable) {
    HSQUIRRELVM thread = sq_newthread(v, 1024);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(sq_gettype(v, -1), OT_THREAD);
    sq_pushroottable(thread);
    sq_pushstring(thread, "shared", -1);
    sq_pushinteger(thread, 11);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_newslot(thread, -3, SQFalse)));
    sq_pop(thread, 1);
    EXPECT_EQ(sq_gettop(thread), 0);
    sq_pop(v, 1);
    push_global("shared");
    SQInteger i = 0;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getinteger(v, -1, &i)));
    EXPECT_EQ(i, 11);
    sq_pop(v, 1);
}

TEST_F(ApiTest, CloseFreesCyclesLeftBehind) {
    ASSERT_TRUE(run("::ring <- []; ring.append(ring); local a = {}, b = {}; a.b <- b; b.a <- a;"));
    g_released.clear();
    SQUserPointer p = sq_newuserdata(v, 8);
    ASSERT_NE(p, nullptr);
    sq_setreleasehook(v, -1, record_release);
    sq_newtable(v);
    sq_pushstring(v, "ud", -1);
    sq_push(v, -3);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_newslot(v, -3, SQFalse)));
    sq_pushstring(v, "me", -1);
    sq_push(v, -2);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_newslot(v, -3, SQFalse)));
    sq_pop(v, 2);
    EXPECT_TRUE(g_released.empty());
    harness.close();
    EXPECT_EQ(g_released.size(), 1u);
    harness.reopen();
    v = harness.vm();
    top_at_start = sq_gettop(v);
}

}  // namespace
