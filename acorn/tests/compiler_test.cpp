// The compiler: what compiled scripts do, the code it emits where that is the
// point (folding, peepholes, line records), its error reports, and its
// behaviour on hostile input.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "acodegen.h"
#include "acompiler.h"
#include "alexer.h"
#include "avm.h"
#include "script_harness.h"
#include "squirrel.h"

namespace {

struct CompileReport {
    std::string desc;
    std::string source;
    SQInteger line = -1;
    SQInteger column = -1;
};
CompileReport g_report;

void record_compile_error(HSQUIRRELVM, const SQChar *desc, const SQChar *source, SQInteger line, SQInteger column) {
    g_report = {desc, source, line, column};
}

class Compiler : public ::testing::Test {
   protected:
    acorn_test::ScriptHarness harness;
    HSQUIRRELVM v = harness.vm();

    void SetUp() override {
        g_report = CompileReport();
        sq_setcompilererrorhandler(v, record_compile_error);
    }

    bool compiles(const std::string &src, SQValue &proto) {
        return sq_compile_source(v, src.data(), static_cast<SQInteger>(src.size()), "test.nut", true, proto);
    }

    // Compiles and runs `src`; returns what it printed, or "error: ..." with
    // the compile or runtime error.
    std::string run(const std::string &src) {
        std::string outcome = harness.run_or_error(src, "test.nut");
        if (outcome.rfind("compile error: ", 0) == 0) outcome.erase(0, 8);
        return outcome;
    }

    std::string last_error() {
        SQValue &err = v->lasterror;
        return err._type == OT_STRING ? std::string(sq_str(err)->data, static_cast<size_t>(sq_str(err)->len)) : "?";
    }

    std::string disassembly(const std::string &src) {
        SQValue proto;
        if (!compiles(src, proto)) return "error: " + last_error();
        std::string out;
        sq_disassemble(sq_proto(proto), out);
        return out;
    }

    std::string compile_error(const std::string &src) {
        SQValue proto;
        g_report = CompileReport();
        EXPECT_FALSE(compiles(src, proto)) << src;
        return g_report.desc;
    }
};

// --- literals -------------------------------------------------------------

TEST_F(Compiler, NumberLiteralsInEveryNotation) {
    EXPECT_EQ(run("print(0x1F + \" \" + 017 + \" \" + 'a' + \" \" + 1.5e2 + \" \" + 2.5)"), "31 15 97 150 2.5");
    EXPECT_EQ(run("print(0xFFFFFFFF)"), "-1");
    EXPECT_EQ(run("print(2147483648)"), "-2147483648");
    EXPECT_EQ(run("print(1e-2)"), "0.01");
}

TEST_F(Compiler, StringEscapesAndVerbatimStrings) {
    EXPECT_EQ(run(R"(print("a\tb\x41\"\\\'"))"), "a\tbA\"\\'");
    EXPECT_EQ(run(R"(print("\u00e9".len()))"), "2");
    EXPECT_EQ(run("print(@\"x\"\"y\n\\n\")"), "x\"y\n\\n");
    EXPECT_EQ(run(R"(print("nul\0in".len()))"), "6");
}

TEST_F(Compiler, LineAndFileMarkers) { EXPECT_EQ(run("\n\nprint(__LINE__ + \" \" + __FILE__)"), "3 test.nut"); }

// --- operators ------------------------------------------------------------

TEST_F(Compiler, OperatorPrecedenceFollowsSquirrel) {
    EXPECT_EQ(run("local a = 2, b = 3; print(a + b * 4)"), "14");
    EXPECT_EQ(run("local a = 2, b = 3; print((a + b) * 4)"), "20");
    EXPECT_EQ(run("local a = 1; print(a << 2 + 1)"), "8");
    EXPECT_EQ(run("local a = 6; print(a & 3 | 8 ^ 1)"), "11");
    EXPECT_EQ(run("local a = 1; print(a < 2 == true)"), "true");
    EXPECT_EQ(run("local a = 7; print(a % 4 * 2)"), "6");
    EXPECT_EQ(run("local t = {k = 1}; print(\"k\" in t && !(\"z\" in t))"), "true");
    EXPECT_EQ(run("local a = 1, b = 2; print((a <=> b) + \" \" + (b <=> a) + \" \" + (a <=> a))"), "-1 1 0");
    EXPECT_EQ(run("local a = -16; print((a >> 2) + \" \" + (a >>> 28))"), "-4 15");
    EXPECT_EQ(run("local a = 0; print(-a - 1 * -2)"), "2");
}

TEST_F(Compiler, LogicalOperatorsYieldTheDecidingOperand) {
    EXPECT_EQ(run("local n = null; print(n || \"dflt\")"), "dflt");
    EXPECT_EQ(run("local a = 0; print(a && \"never\")"), "0");
    EXPECT_EQ(run("local calls = 0; function f() { ::calls <- 1; return true; } local r = false && f(); "
                  "print(r + \" \" + (\"calls\" in getroottable()))"),
              "false false");
}

TEST_F(Compiler, TernaryAndCommaExpressions) {
    EXPECT_EQ(run("local x = 5; print(x > 3 ? \"big\" : \"small\")"), "big");
    EXPECT_EQ(run("local x = 1; print(x == 0 ? \"a\" : x == 1 ? \"b\" : \"c\")"), "b");
    EXPECT_EQ(run("local a = 0, b = 0; for (a = 1, b = 10; a < 3; a++, b--) {} print(a + \" \" + b)"), "3 8");
}

TEST_F(Compiler, IncrementsOnLocalsOutersAndSlots) {
    EXPECT_EQ(run("local i = 5; local j = i++; print(i + \" \" + j + \" \" + ++i + \" \" + --i)"), "6 5 7 6");
    EXPECT_EQ(run("local t = {n = 1}; local old = t.n++; print(old + \" \" + t.n + \" \" + ++t.n)"), "1 2 3");
    EXPECT_EQ(run("local a = [10]; a[0]--; --a[0]; print(a[0])"), "8");
    EXPECT_EQ(run("local n = 0; local f = function() { n++; ++n; return n--; }; print(f() + \" \" + n)"), "2 1");
}

TEST_F(Compiler, CompoundAssignmentsEverywhere) {
    EXPECT_EQ(run("local x = 3; x += 4; x *= 2; x -= 1; x /= 2; x %= 4; print(x)"), "2");
    EXPECT_EQ(run("local x = 1; x <<= 4; x >>= 1; x |= 1; x &= 13; x ^= 3; print(x)"), "10");
    EXPECT_EQ(run("local t = {v = 2}; t.v += 3; t[\"v\"] *= 2; print(t.v)"), "10");
    EXPECT_EQ(run("local s = 1; local f = @() s += 10; f(); print(s)"), "11");
    EXPECT_EQ(run("g <- 5; g -= 2; ::g *= 3; print(g)"), "9");
}

TEST_F(Compiler, NewSlotDeleteAndRootAccess) {
    EXPECT_EQ(run("local t = {}; t.a <- 1; t[\"b\"] <- 2; local d = delete t.a; print(d + \" \" + t.len())"), "1 1");
    EXPECT_EQ(run("::rootval <- 4; function f() { return ::rootval; } print(f())"), "4");
    EXPECT_NE(run("local x = 1; x <- 2;").find("local"), std::string::npos);
}

// --- constant folding and emitted code ------------------------------------

TEST_F(Compiler, ConstantArithmeticIsFolded) {
    std::string code = disassembly("return 2 * 3 + 1");
    EXPECT_NE(code.find("LOADINT      2   0   0 7"), std::string::npos) << code;
    EXPECT_EQ(code.find("MUL"), std::string::npos) << code;
    EXPECT_EQ(run("print(0x7fffffff + 1)"), "-2147483648");
    EXPECT_EQ(run("print(-2147483648 / -1)"), "-2147483648");
    EXPECT_EQ(run("print(-2147483648 % -1)"), "0");
    EXPECT_EQ(run("print(7 / 2 + \" \" + 7.0 / 2 + \" \" + -7 % 3)"), "3 3.5 -1");
}

TEST_F(Compiler, SmallIntegerAdditionsKeepAddSemantics) {
    std::string code = disassembly("local a = 1; local b = a + 5; b += -3;");
    EXPECT_NE(code.find("INCR         3   2 133"), std::string::npos) << code;
    EXPECT_NE(code.find("INCR         3   3 125"), std::string::npos) << code;
    EXPECT_EQ(code.find("ADD"), std::string::npos) << code;
    EXPECT_EQ(run("local s = \"a\"; s += 1; print(s + -5 + \" \" + (1.5 + 1))"), "a1-5 2.5");
    EXPECT_EQ(run("local a = 2147483647; print(a + 1)"), "-2147483648");
    EXPECT_NE(disassembly("local a = 1; return a - 1").find("SUB"), std::string::npos);
    EXPECT_NE(disassembly("local a = 1; return a + 128").find("ADD"), std::string::npos);
}

TEST_F(Compiler, LoopTestsLoadTheirConstantOnce) {
    std::string code = disassembly("local n = 0; for (local i = 0; 1000 > i; i++) n++;");
    const std::string hoisted = "LOADINT      4   0   0 1000";
    size_t load = code.find(hoisted);
    ASSERT_NE(load, std::string::npos) << code;
    EXPECT_LT(load, code.find("JMP")) << code;
    EXPECT_EQ(code.find("1000", load + hoisted.size()), std::string::npos) << code;
    EXPECT_EQ(run("function step(x) { local t = [x, x]; return t[0] + 1; } local s = 0; "
                  "for (local i = 0; 5 > i; i = step(i)) { local a = i * 2; local b = [a]; s += b[0]; } print(s)"),
              "20");
    EXPECT_EQ(run("local a = [1, 2, null]; local k = 0; while (a[k] != null) k++; "
                  "local j = 3; while (j != 0) { local tmp = j - 1; j = tmp; } print(k + \" \" + j)"),
              "2 0");
    EXPECT_EQ(run("local n = 0; for (local i = 0; i < 3; i++) for (local j = 0; j < 4; j++) n += j; print(n)"), "18");
}

TEST_F(Compiler, DivisionByZeroIsLeftToRunTime) {
    EXPECT_NE(disassembly("return 1 / 0").find("DIV"), std::string::npos);
    EXPECT_EQ(run("print(1 / 0)"), "error: division by zero");
    EXPECT_EQ(run("try { local x = 5 % 0; } catch (e) { print(e) }"), "division by zero");
}

TEST_F(Compiler, StatementResultsAreNotCopied) {
    std::string code = disassembly("local i = 0; i++;");
    EXPECT_EQ(code.find("MOVE"), std::string::npos) << code;
    code = disassembly("local x = 0, y = 1; x = y * 2;");
    EXPECT_NE(code.find("MUL          2   3 255 0  ; 2"), std::string::npos) << code;
}

// A constant right operand is read from the literals (c = NO_REG) by
// arithmetic and comparisons, with their full semantics.
TEST_F(Compiler, ConstantRightOperandsComeFromTheLiterals) {
    std::string code = disassembly("local x = 1; local s = \"a\"; s += \"b\"; return x < 2.5;");
    EXPECT_NE(code.find("ADD          3   3 255 1  ; \"b\""), std::string::npos) << code;
    EXPECT_NE(code.find("LT           4   2 255 2  ; 2.5"), std::string::npos) << code;
    EXPECT_EQ(code.find("LOADFLOAT"), std::string::npos) << code;
    const std::pair<const char *, const char *> cases[] = {
        {"local a = 7; print(a - 1.5)", "5.5"},
        {"local a = 7; print(a / 2 + \" \" + a % 4 + \" \" + (a << 2) + \" \" + (a >>> 1))", "3 3 28 3"},
        {"local a = 7; print((a & 3) + \" \" + (a | 8) + \" \" + (a ^ 1) + \" \" + (a >> 1))", "3 15 6 3"},
        {"local a = \"x\"; print(a + 1 + \" \" + (a == \"x\") + \" \" + (a != \"x\") + \" \" + (a < \"y\"))",
         "x1 true false true"},
        {"local a = 3; print((a <= 3) + \" \" + (a > 3.5) + \" \" + (a >= 3) + \" \" + (a == 3.0))",
         "true false true true"},
        {"local a = 7; a -= 2; a *= 3; a /= 4; a %= 3; print(a)", "0"},
        {"local a = 1; print(a / 0)", "error: division by zero"},
        {"local a = [1]; print(a + 1)", "error: arith op + on between 'array' and 'integer'"},
        {"local a = {}; print(a < 1)", "error: comparison between 'table' and '1'"},
        {"class V { v = 0; constructor(x) { v = x; } function _sub(o) { return V(v - o); } } "
         "print((V(5) - 2).v)", "3"},
    };
    for (const auto &[src, expected] : cases) EXPECT_EQ(run(src), expected) << src;
}

TEST_F(Compiler, VerifierRefusesAMissingLiteralOperand) {
    SQValue proto;
    ASSERT_TRUE(compiles("local x = 1; return x + 1000;", proto));
    SQFunctionProto *fn = sq_proto(proto);
    std::string why;
    ASSERT_TRUE(sq_verify_proto(fn, nullptr, why)) << why;
    for (SQInstruction &ins : fn->code) {
        if (ins.op == OP_ADD && ins.c == NO_REG) ins.d = static_cast<int32_t>(fn->literals.size());
    }
    EXPECT_FALSE(sq_verify_proto(fn, nullptr, why));
    EXPECT_EQ(why, "literal index out of range");
}

TEST_F(Compiler, DisassemblyListsNestedFunctionsAndLiterals) {
    std::string code = disassembly("function f(a, ...) { yield a.name; }");
    EXPECT_NE(code.find("function main params=1+varargs"), std::string::npos) << code;
    EXPECT_NE(code.find("\n  function f params=2+varargs stack="), std::string::npos) << code;
    EXPECT_NE(code.find(" generator\n"), std::string::npos) << code;
    EXPECT_NE(code.find("GETK         3   1   0 0  ; \"name\""), std::string::npos) << code;
    EXPECT_STREQ(sq_opcode_name(OP_FOREACH), "FOREACH");
    EXPECT_STREQ(sq_opcode_name(OP_COUNT), "???");
}

TEST_F(Compiler, EveryInstructionHasItsSourceLine) {
    SQValue proto;
    ASSERT_TRUE(compiles("local a = 1\n\nlocal b = a +\n  2\nreturn b", proto));
    const SQFunctionProto *fn = sq_proto(proto);
    EXPECT_EQ(fn->line_of(0), 1);
    EXPECT_EQ(fn->line_of(static_cast<SQInteger>(fn->code.size()) - 2), 5);
    EXPECT_EQ(run("local t = null\n\n\nlocal x = t.field"), "error: the index 'field' does not exist");
}

TEST_F(Compiler, LocalRangesCoverTheirScope) {
    SQValue proto;
    ASSERT_TRUE(compiles("local a = 1; { local inner = 2; } local b = 3;", proto));
    const SQFunctionProto *fn = sq_proto(proto);
    ASSERT_EQ(fn->localvars.size(), 5u);
    EXPECT_STREQ(sq_str(fn->localvars[0].name)->data, "b");
    EXPECT_STREQ(sq_str(fn->localvars[1].name)->data, "inner");
    EXPECT_STREQ(sq_str(fn->localvars[4].name)->data, "this");
    EXPECT_LT(fn->localvars[1].end_op, fn->localvars[0].start_op + 1);
    EXPECT_EQ(fn->localvars[1].reg, fn->localvars[0].reg);
}

// --- functions and closures -----------------------------------------------

TEST_F(Compiler, DefaultParametersAreEvaluatedWhenTheClosureIsMade) {
    EXPECT_EQ(run("local d = 1; local f = function(a, b = d + 1, c = \"c\") { return a + b + c; }; d = 100; "
                  "print(f(0) + \" \" + f(0, 5) + \" \" + f(0, 5, 6))"),
              "2c 5c 11");
    EXPECT_EQ(run("function f(a, b) {} f(1)"), "error: wrong number of parameters (2 passed, 3 required)");
}

TEST_F(Compiler, VarargsAndTheMainFunctionArguments) {
    EXPECT_EQ(run("function f(a, ...) { return a + vargv.len(); } print(f(1, 2, 3))"), "3");
    EXPECT_EQ(run("print(typeof vargv + vargv.len())"), "array0");
}

TEST_F(Compiler, ClosuresCaptureThroughSeveralLevels) {
    EXPECT_EQ(run("local x = 1; function outer() { return function() { return function() { return x++; }; }; } "
                  "local f = outer()()(); print(f + \" \" + x)"),
              "1 2");
    EXPECT_EQ(run("local fs = []; for (local i = 0; i < 3; i++) { local j = i; fs.append(@() j); } "
                  "print(fs[0]() + \"\" + fs[1]() + fs[2]())"),
              "012");
    EXPECT_EQ(run("local fs = []; local i = 0; while (i < 3) { local j = i++; fs.append(@() j); if (j == 1) continue; } "
                  "print(fs[0]() + \"\" + fs[1]() + fs[2]())"),
              "012");
    EXPECT_EQ(run("local fs = []; for (local i = 0; i < 3; i++) { local j = i; fs.append(@() j); if (i == 1) break; } "
                  "print(fs[0]() + \"\" + fs[1]())"),
              "01");
}

TEST_F(Compiler, VisibleLocalsWinOverMembersOfThis) {
    const char *src =
        "local x = 5;\n"
        "class V { x = 1; function get() { return x; } function own() { return this.x; } }\n"
        "print(V().get() + \" \" + V().own())";
    EXPECT_EQ(run(src), "5 1");
    EXPECT_EQ(run("class W { y = 2; function get() { return y; } } print(W().get())"), "2");
}

TEST_F(Compiler, CapturedVariablesOfEveryScopeKind) {
    EXPECT_EQ(run("local fs = []; foreach (v in [1, 2]) { try { throw v; } catch (e) { fs.append(@() e); } } "
                  "print(fs[0]() + \"\" + fs[1]())"),
              "12");
    EXPECT_EQ(run("local fs = []; for (local i = 0; i < 2; i++) { switch (i) { case 0: local a = \"x\"; "
                  "fs.append(@() a); break; default: local b = \"y\"; fs.append(@() b); } } print(fs[0]() + fs[1]())"),
              "xy");
    EXPECT_EQ(run("local fs = []; for (local i = 0; i < 3; i++) fs.append(@() i); print(fs[0]() + \"\" + fs[2]())"),
              "33");
    EXPECT_EQ(run("function mk(p) { return { get = @() p, set = function(v) { p = v; } }; } "
                  "local o = mk(1); o.set(9); print(o.get())"),
              "9");
}

TEST_F(Compiler, FunctionDeclarationForms) {
    EXPECT_EQ(run("t <- {inner = {}}; function t.inner.f() { return \"dotted\"; } print(t.inner.f())"), "dotted");
    EXPECT_EQ(run("class K {} function K::m() { return \"member\"; } print(K().m())"), "member");
    EXPECT_EQ(run("local function sq(x) { return x * x; } print(sq(7))"), "49");
    EXPECT_EQ(run("local env = {v = 3}; local f = function[env]() { return v; }; print(f() + (@[env]() v * 2)())"),
              "9");
    EXPECT_EQ(run("local t = { function m() { return 1; }, \"json\": 2, [3] = 4 }; print(t.m() + t.json + t[3])"), "7");
}

TEST_F(Compiler, GeneratorsAndTailCalls) {
    EXPECT_EQ(run("function g(n) { for (local i = 0; i < n; i++) yield i; } local s = \"\"; "
                  "foreach (v in g(4)) s += v; print(s)"),
              "0123");
    EXPECT_EQ(run("function count(n) { if (n == 0) return \"done\"; return count(n - 1); } print(count(5000))"),
              "done");
}

// --- classes ----------------------------------------------------------------

TEST_F(Compiler, ClassesWithBaseCallsStaticsAndAttributes) {
    EXPECT_EQ(run("class A { v = 1; constructor(x) { v = x; } function get() { return v; } }\n"
                  "class B extends A { static tag = \"B\"; constructor() { base.constructor(5); } "
                  "function get() { return base.get() * 2; } }\n"
                  "print(B().get() + B.tag)"),
              "10B");
    EXPECT_EQ(run("class C </ doc = \"cls\" /> { </ min = 0, max = 9 /> n = 3 }\n"
                  "print(C.getattributes(null).doc + C.getattributes(\"n\").max)"),
              "cls9");
    EXPECT_EQ(run("local ns = {}; class ns.Inner { function f() { return 2; } } print(ns.Inner().f())"), "2");
}

TEST_F(Compiler, PostCallInitializerSetsMembers) {
    EXPECT_EQ(run("class S { w = 0; h = 0 } local s = S() { w = 640, [\"h\"] = 480 }; print(s.w + \"x\" + s.h)"),
              "640x480");
    EXPECT_EQ(run("function mk() { return class { x = 1 } } class D extends mk() { y = 2 } print(D().x + D().y)"),
              "3");
}

// --- statements -------------------------------------------------------------

TEST_F(Compiler, SwitchFallsThroughToTheNextCase) {
    const char *src =
        "function f(x) { local s = \"\"; switch (x) { case 1: s += \"one\"; case 2: s += \"two\"; break; "
        "case \"s\": s += \"str\"; break; default: s += \"dflt\"; } return s; }\n"
        "print(f(1) + \" \" + f(2) + \" \" + f(\"s\") + \" \" + f(9))";
    EXPECT_EQ(run(src), "onetwo two str dflt");
    EXPECT_EQ(run("local n = 0; for (local i = 0; i < 4; i++) { switch (i) { case 1: continue; } n++; } print(n)"), "3");
}

TEST_F(Compiler, BreakAndContinueLeaveTryBlocks) {
    EXPECT_EQ(run("local n = 0; while (true) { try { n++; if (n == 3) break; continue; } catch (e) {} } "
                  "try { throw \"after\"; } catch (e) { print(n + e); }"),
              "3after");
}

TEST_F(Compiler, LoopsOfEveryKind) {
    EXPECT_EQ(run("local s = 0; local i = 0; do { s += i; } while (++i < 5) print(s)"), "10");
    EXPECT_EQ(run("local s = \"\"; foreach (k, v in [\"a\", \"b\"]) s += k + v; foreach (c in \"xy\") s += c; print(s)"),
              "0a1b120121");
    EXPECT_EQ(run("local s = 0; for (;;) { if (++s > 4) break; } print(s)"), "5");
}

TEST_F(Compiler, EnumsAndConstantsFoldAndPersist) {
    EXPECT_EQ(run("enum E { A, B = 7, C } const K = -3; print(E.A + \" \" + E.B + \" \" + E.C + \" \" + K)"),
              "0 7 1 -3");
    EXPECT_EQ(run("print(K * 2)"), "-6");
    EXPECT_NE(disassembly("return K + 1").find("LOADINT      2   0   0 -2"), std::string::npos);
    EXPECT_EQ(compile_error("enum F { A } return F.Z"), "invalid enum member 'Z'");
    EXPECT_EQ(compile_error("const Q = foo;"), "scalar expected : integer, float, bool or string");
}

TEST_F(Compiler, StatementsEndAtSemicolonsLineBreaksOrBraces) {
    EXPECT_EQ(run("local a = 1\nlocal b = 2\nprint(a + b)"), "3");
    EXPECT_EQ(compile_error("local a = 1 local b = 2"), "end of statement expected (; or lf)");
    EXPECT_EQ(run("function f() { return }\nprint(f())"), "null");
}

// --- errors ---------------------------------------------------------------

TEST_F(Compiler, ErrorsReportLineAndColumn) {
    EXPECT_EQ(compile_error("local a = 1;\n\nlocal b = ;"), "expression expected");
    EXPECT_EQ(g_report.line, 3);
    EXPECT_EQ(g_report.column, 11);
    EXPECT_EQ(g_report.source, "test.nut");
    EXPECT_EQ(last_error(), "expression expected");
    EXPECT_EQ(compile_error("f(1, 2"), "expression expected");  // arguments need no commas between them
    EXPECT_EQ(compile_error("local 5 = 1"), "expected 'IDENTIFIER'");
    EXPECT_EQ(compile_error("x = )"), "expression expected");
    EXPECT_EQ(compile_error("break;"), "'break' has to be in a loop block");
    EXPECT_EQ(compile_error("switch (1) { case 1: continue; }"), "'continue' has to be in a loop block");
    EXPECT_EQ(compile_error("1 = 2"), "can't assign expression");
    EXPECT_EQ(compile_error("this = {}"), "can't assign expression");
    EXPECT_EQ(compile_error("this++"), "can't '++' or '--' an expression");
    EXPECT_EQ(compile_error("function f(a = 1, b) {}"), "expected '='");
}

TEST_F(Compiler, ErrorsInsideNestedFunctionsAndClasses) {
    EXPECT_EQ(compile_error("function f() {\n  local g = function() {\n    return 1 +;\n  };\n}"), "expression expected");
    EXPECT_EQ(g_report.line, 3);
    EXPECT_EQ(compile_error("class A {\n  x = 1\n  5 = 2\n}"), "expected 'IDENTIFIER'");
    EXPECT_EQ(g_report.line, 3);
    EXPECT_EQ(compile_error("class A { function f() {} "), "expected '}'");
    EXPECT_EQ(compile_error("local t = { a = 1 "), "expected '}'");
    EXPECT_EQ(compile_error("local t = [1, 2"), "expected ']'");
    EXPECT_EQ(compile_error("local x = 1; delete x;"), "can't delete an expression");
    EXPECT_EQ(compile_error("(1)++"), "can't '++' or '--' an expression");
    EXPECT_EQ(compile_error("try { } print(1)"), "expected 'catch'");
}

TEST_F(Compiler, LexicalErrors) {
    EXPECT_EQ(compile_error("local s = \"abc"), "unfinished string");
    EXPECT_EQ(compile_error("local s = \"ab\ncd\""), "newline in a constant");
    EXPECT_EQ(compile_error("/* never closed"), "missing \"*/\" in comment");
    EXPECT_EQ(compile_error("local s = \"\\q\""), "unrecognised escaper char");
    EXPECT_EQ(compile_error("local c = 'ab'"), "constant too long");
    EXPECT_EQ(compile_error("local c = ''"), "empty constant");
    EXPECT_EQ(run("print(0x)"), "0");
    EXPECT_EQ(run("print(1e1.5)"), "10");
    EXPECT_EQ(compile_error("local n = 1e+"), "exponent expected");
    EXPECT_EQ(compile_error("local n = 018"), "invalid octal number");
    EXPECT_EQ(run("print(09)"), "9");
    EXPECT_EQ(compile_error("local n = 12abc"), "invalid character in number");
    EXPECT_EQ(compile_error("local n = `"), "unexpected character (code 96)");
}

TEST_F(Compiler, EmptyAndNulInputs) {
    SQValue proto;
    EXPECT_TRUE(compiles("", proto));
    EXPECT_EQ(run("// only a comment"), "");
    std::string with_nul("print(1)\0print(2)", 17);
    EXPECT_EQ(compile_error(with_nul), "unexpected character (code 0)");
    EXPECT_TRUE(sq_compile_source(v, nullptr, 5, nullptr, true, proto));
}

TEST_F(Compiler, RegisterLimitIsACompileError) {
    std::string many;
    for (int i = 0; i < 200; ++i) many += "local v" + std::to_string(i) + " = " + std::to_string(i) + ";\n";
    EXPECT_EQ(run(many + "print(v199)"), "199");
    std::string too_many = many;
    for (int i = 200; i < 300; ++i) too_many += "local v" + std::to_string(i) + ";\n";
    EXPECT_EQ(compile_error(too_many), "too many local variables or temporaries (limit 255)");
    std::string args = "print(";
    for (int i = 0; i < 300; ++i) args += (i ? ",1" : "1");
    EXPECT_EQ(compile_error(args + ")"), "too many local variables or temporaries (limit 255)");
}

TEST_F(Compiler, DeepNestingIsRejectedNotOverflowed) {
    const int depth = 100000;
    EXPECT_EQ(compile_error(std::string(depth, '(') + "1" + std::string(depth, ')')), "script nested too deeply");
    EXPECT_EQ(compile_error(std::string(depth, '[')), "too many local variables or temporaries (limit 255)");
    EXPECT_EQ(compile_error(std::string(depth, '{')), "script nested too deeply");
    EXPECT_EQ(compile_error(std::string(depth, '!') + "1"), "script nested too deeply");
    std::string fns;
    for (int i = 0; i < 20000; ++i) fns += "local f = function(){";
    EXPECT_EQ(compile_error(fns), "script nested too deeply");
    EXPECT_EQ(run("print(" + std::string(50, '(') + "7" + std::string(50, ')') + ")"), "7");
}

// Expressions nest at least 5000 deep, as scripts written for the reference may.
TEST_F(Compiler, ExpressionsNestFiveThousandDeep) {
    const int depth = 5000;
    EXPECT_EQ(run("print(" + std::string(depth, '(') + "7" + std::string(depth, ')') + ")"), "7");
    std::string negations;
    for (int i = 0; i < depth; ++i) negations += "-(";
    EXPECT_EQ(run("print(" + negations + "7" + std::string(depth, ')') + ")"), "7");
    std::string sums = "print(1";
    for (int i = 0; i < depth; ++i) sums += " + (1";
    EXPECT_EQ(run(sums + std::string(depth, ')') + ")"), "5001");
}

TEST_F(Compiler, LongElseIfChainsAreNotNesting) {
    std::string chain = "local x = 998; local r = -1;\nif (x == 0) r = 0;\n";
    for (int i = 1; i < 1000; ++i) chain += "else if (x == " + std::to_string(i) + ") r = " + std::to_string(i) + ";\n";
    EXPECT_EQ(run(chain + "else r = 5000;\nprint(r)"), "998");
    EXPECT_EQ(run(chain + "print(r)"), "998");
}

// Every prefix of a valid script, and random bytes, either compile or fail
// with a message: never a crash.
TEST_F(Compiler, TruncatedAndRandomInputNeverCrash) {
    const std::string script =
        "class A extends B { x = 1; function f(a, b = 2, ...) { return a ? @\"v\" : [1, {k = 'c'}]; } }\n"
        "foreach (i, v in t) { switch (v) { case 1: break; default: yield v++; } }\n"
        "try { local s = \"e\\x41\"; ::g <- s.len() <=> 0x10; } catch (e) { throw e; } /* c */ enum E { P = 1.5e3 }";
    SQValue proto;
    int failures = 0;
    for (size_t n = 0; n <= script.size(); ++n) {
        if (!compiles(script.substr(0, n), proto)) {
            ++failures;
            EXPECT_FALSE(last_error().empty());
        }
    }
    EXPECT_GT(failures, 0);
    std::mt19937 rng(1234);
    const std::string alphabet = "(){}[]<>=+-*/%!~&|^?:.,;@\"'\\#0123456789xabcdefgn \n\t\0";
    for (int round = 0; round < 3000; ++round) {
        std::string junk(rng() % 60, ' ');
        for (char &c : junk) c = alphabet[rng() % alphabet.size()];
        if (!compiles(junk, proto)) {
            EXPECT_FALSE(last_error().empty());
        }
    }
}

// Everything the compiler emits for the conformance scripts refers only to
// registers, literals, free variables and jump targets that exist.
bool verify_tree(const SQFunctionProto *fn, const SQFunctionProto *parent, std::string &why) {
    if (!sq_verify_proto(fn, parent, why)) return false;
    for (const SQValue &child : fn->functions)
        if (!verify_tree(sq_proto(child), fn, why)) return false;
    return true;
}

TEST_F(Compiler, EmittedCodePassesTheVerifier) {
    namespace fs = std::filesystem;
    fs::path cases = fs::path(__FILE__).parent_path() / "conformance" / "cases";
    int checked = 0;
    for (const auto &entry : fs::directory_iterator(cases)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        SQValue proto;
        ASSERT_TRUE(compiles(text.str(), proto)) << entry.path() << ": " << last_error();
        std::string why;
        EXPECT_TRUE(verify_tree(sq_proto(proto), nullptr, why)) << entry.path() << ": " << why;
        ++checked;
    }
    EXPECT_GT(checked, 30);
}

// --- constant folding ------------------------------------------------------

TEST(Folding, IntegersWrapAndRunTimeCasesStayUnfolded) {
    SQValue out;
    auto fold = [&](uint8_t op, SQInteger a, SQInteger b) { return sq_fold_arith(op, SQValue(a), SQValue(b), out); };
    ASSERT_TRUE(fold(OP_MUL, 65536, 65536));
    EXPECT_EQ(sq_int(out), 0);
    ASSERT_TRUE(fold(OP_SUB, INT32_MIN, 1));
    EXPECT_EQ(sq_int(out), INT32_MAX);
    ASSERT_TRUE(fold(OP_DIV, INT32_MIN, -1));
    EXPECT_EQ(sq_int(out), INT32_MIN);
    ASSERT_TRUE(fold(OP_MOD, -7, 2));
    EXPECT_EQ(sq_int(out), -1);
    ASSERT_TRUE(fold(OP_SHL, 1, 31));
    EXPECT_EQ(sq_int(out), INT32_MIN);
    ASSERT_TRUE(fold(OP_USHR, -1, 28));
    EXPECT_EQ(sq_int(out), 15);
    ASSERT_TRUE(fold(OP_SHR, -16, 2));
    EXPECT_EQ(sq_int(out), -4);
    EXPECT_FALSE(fold(OP_DIV, 1, 0));
    EXPECT_FALSE(fold(OP_MOD, 1, 0));
    EXPECT_FALSE(fold(OP_SHL, 1, 32));
    EXPECT_FALSE(fold(OP_SHR, 1, -1));
    EXPECT_FALSE(fold(OP_EQ, 1, 1));
}

TEST(Folding, FloatsAndMixedOperands) {
    SQValue out;
    ASSERT_TRUE(sq_fold_arith(OP_DIV, SQValue(SQInteger(7)), SQValue(SQFloat(2)), out));
    EXPECT_EQ(out._type, OT_FLOAT);
    EXPECT_FLOAT_EQ(sq_float(out), 3.5f);
    ASSERT_TRUE(sq_fold_arith(OP_MOD, SQValue(SQFloat(7.5f)), SQValue(SQInteger(2)), out));
    EXPECT_FLOAT_EQ(sq_float(out), 1.5f);
    EXPECT_FALSE(sq_fold_arith(OP_BAND, SQValue(SQFloat(1)), SQValue(SQInteger(1)), out));
    EXPECT_FALSE(sq_fold_arith(OP_ADD, SQValue::boolean(true), SQValue(SQInteger(1)), out));
    EXPECT_FALSE(sq_fold_arith(OP_ADD, SQValue(), SQValue(SQInteger(1)), out));
}

// --- lexer ----------------------------------------------------------------

TEST(Lexer, SplitsOperatorsLongestFirst) {
    const std::string src = "a<-b >>>= c<=>d ::e ... </ />";
    Lexer lex(src.data(), src.size());
    Token tok;
    std::vector<int> kinds;
    for (lex.next(tok); tok.kind != TK_EOF; lex.next(tok)) kinds.push_back(tok.kind);
    std::vector<int> expected = {TK_IDENTIFIER, TK_NEWSLOT, TK_IDENTIFIER, TK_USHREQ, TK_IDENTIFIER,
                                 TK_CMP3, TK_IDENTIFIER, TK_DOUBLECOLON, TK_IDENTIFIER, TK_VARPARAMS,
                                 TK_ATTR_OPEN, TK_ATTR_CLOSE};
    EXPECT_EQ(kinds, expected);
}

TEST(Lexer, TracksPositionsAndLineBreaks) {
    const std::string src = "x # note\n  /* a\nb */ y";
    Lexer lex(src.data(), src.size());
    Token tok;
    lex.next(tok);
    EXPECT_FALSE(tok.newline_before);
    lex.next(tok);
    EXPECT_EQ(tok.text, "y");
    EXPECT_TRUE(tok.newline_before);
    EXPECT_EQ(tok.line, 3);
    EXPECT_EQ(tok.column, 6);
}

}  // namespace
