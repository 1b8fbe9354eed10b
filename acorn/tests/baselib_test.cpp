// Base library and default delegates: the behaviour the conformance scripts
// leave open (bounds, bad arguments, misbehaving callbacks, threads).
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <string>

#include "script_harness.h"
#include "squirrel.h"

namespace {

class Baselib : public ::testing::Test {
   protected:
    acorn_test::ScriptHarness harness;
    HSQUIRRELVM v = harness.vm();

    // Runs `body` after a prelude defining P(x) (print with a newline) and
    // J(a) (array as "[a,b]"). Returns what it printed, followed by
    // "error: <message>" if it failed.
    std::string run(const std::string &body) {
        return harness.run(
            "function P(x) { print(x + \"\\n\"); }\n"
            "function J(a) { local s = \"[\"; foreach (i, x in a) { if (i) s += \",\"; s += x; } return s + \"]\"; }\n" +
            body);
    }
};

TEST_F(Baselib, PrintAndErrorGoToTheirOwnHostFunctions) {
    EXPECT_EQ(run("error(\"oops \" + 2); print(1.5); print(null);"), "1.5null");
    EXPECT_EQ(harness.errors(), "oops 2");
    EXPECT_EQ(run("print(1, 2);"), "error: wrong number of parameters");
}

TEST_F(Baselib, ArrayBuiltinSizesAndFill) {
    EXPECT_EQ(run("P(J(array(2.7, 5)));"), "[5,5]\n");
    EXPECT_EQ(run("P(array(0).len());"), "0\n");
    EXPECT_EQ(run("array(-1);"), "error: negative size");
    EXPECT_EQ(run("array(0x7fffffff);"), "error: array too large");
    EXPECT_EQ(run("array(\"3\");").rfind("error: parameter 1 has an invalid type 'string'", 0), 0u);
}

TEST_F(Baselib, ResizeGrowsWithFillAndRejectsBadSizes) {
    EXPECT_EQ(run("local a = [1]; a.resize(3, \"f\"); P(J(a)); a.resize(1); P(J(a)); a.resize(2); P(J(a));"),
              "[1,f,f]\n[1]\n[1,null]\n");
    EXPECT_EQ(run("[1].resize(-1);"), "error: resizing to negative length");
    EXPECT_EQ(run("local a = [1]; try { a.resize(0x1000001); } catch (e) P(e); P(a.len());"), "array too large\n1\n");
}

TEST_F(Baselib, SortOrdersMixedNumbersAndStrings) {
    EXPECT_EQ(run("local a = [3, 1.5, -2, 2]; a.sort(); P(J(a));"), "[-2,1.5,2,3]\n");
    EXPECT_EQ(run("local a = [\"pear\", \"apple\", \"fig\"]; a.sort(); P(J(a));"), "[apple,fig,pear]\n");
    EXPECT_EQ(run("local a = []; a.sort(); P(a.len()); local b = [7]; b.sort(); P(b[0]);"), "0\n7\n");
}

// Equal elements end in the reference interpreter's heap-sort order, not in
// their original order.
TEST_F(Baselib, SortLeavesEqualElementsInTheReferenceOrder) {
    EXPECT_EQ(run("local a = [[2,\"a\"],[1,\"b\"],[2,\"c\"],[1,\"d\"],[2,\"e\"]];"
                  "a.sort(@(x, y) x[0] <=> y[0]); P(J(a.map(@(p) p[1])));"),
              "[d,b,e,c,a]\n");
    EXPECT_EQ(run("local a = [3, 1, 2, 5, 4]; a.sort(@(x, y) x > y); P(J(a));"
                  "a = [3, 1, 2, 5, 4]; a.sort(@(x, y) (x - y) * 0.5); P(J(a));"),
              "[1,2,5,4,3]\n[1,4,3,2,5]\n");
}

TEST_F(Baselib, SortComparatorErrorsPropagateAndLeaveArrayIntact) {
    EXPECT_EQ(run("local a = [3, 1, 2];"
                  "try { a.sort(function(x, y) { throw \"cmp failed\"; }); } catch (e) P(e);"
                  "P(J(a));"),
              "cmp failed\n[3,1,2]\n");
    EXPECT_EQ(run("[2, 1].sort(@(x, y) \"no\");"),
              "error: numeric value expected as return value of the compare function");
    EXPECT_EQ(run("[2, 1].sort(5);").rfind("error: parameter 1 has an invalid type 'integer'", 0), 0u);
    EXPECT_EQ(run("[1, \"a\"].sort();").rfind("error: ", 0), 0u);
}

TEST_F(Baselib, SortSurvivesInconsistentComparators) {
    EXPECT_EQ(run("local a = []; for (local i = 0; i < 200; i++) a.append((i * 37) % 101);"
                  "local n = 0; try { a.sort(function(x, y) { n++; return (n % 3) - 1; }); } catch (e) P(e);"
                  "local sum = 0; foreach (x in a) sum += x; P(a.len() + \" \" + sum);"
                  "a.sort(@(x, y) 1.5); P(a.len());"),
              "inconsistent compare function\n200 10009\n200\n");
}

TEST_F(Baselib, SortRejectsAComparatorThatResizesTheArray) {
    EXPECT_EQ(run("local a = [3, 2, 1]; a.sort(function(x, y) { a.append(0); return x <=> y; });"),
              "error: array resized during sort operation");
    // The sort stops at the first resize; shrinking is caught as well.
    EXPECT_EQ(run("local a = [3, 2, 1, 5]; try { a.sort(function(x, y) { a.append(0); return x <=> y; }); }"
                  "catch (e) P(a.len());"
                  "local b = [3, 2, 1, 5]; try { b.sort(function(x, y) { b.pop(); return x <=> y; }); }"
                  "catch (e) P(b.len());"),
              "5\n3\n");
}

TEST_F(Baselib, InsertRemovePopTopBounds) {
    EXPECT_EQ(run("local a = [1, 2]; a.insert(2, 3); a.insert(0, 0); P(J(a)); P(a.remove(3)); P(J(a));"),
              "[0,1,2,3]\n3\n[0,1,2]\n");
    EXPECT_EQ(run("[1].insert(2, 0);"), "error: index out of range");
    EXPECT_EQ(run("[1].insert(-1, 0);"), "error: index out of range");
    EXPECT_EQ(run("[1].remove(1);"), "error: idx out of range");
    EXPECT_EQ(run("[].pop();"), "error: empty array");
    EXPECT_EQ(run("[].top();"), "error: top() on a empty array");
}

TEST_F(Baselib, ExtendWithItselfDoublesTheArray) {
    EXPECT_EQ(run("local a = [1, 2]; a.extend(a); P(J(a));"), "[1,2,1,2]\n");
}

TEST_F(Baselib, CallbacksThatShrinkTheArrayStopEarly) {
    EXPECT_EQ(run("local a = [1, 2, 3]; local m = a.map(function(x) { a.clear(); return x; }); P(J(m));"), "[1]\n");
    EXPECT_EQ(run("local a = [1, 2, 3]; a.apply(function(x) { a.pop(); return x * 10; }); P(J(a));"), "[10]\n");
    EXPECT_EQ(run("local a = [1, 2, 3]; P(a.reduce(function(s, x) { a.resize(2); return s + x; }));"), "3\n");
    EXPECT_EQ(run("local a = [1, 2, 3]; P(J(a.filter(function(i, x) { a.clear(); return true; })));"), "[1]\n");
}

TEST_F(Baselib, CallbackErrorsPropagate) {
    EXPECT_EQ(run("[1].map(function(x) { throw \"in map\"; });"), "error: in map");
    EXPECT_EQ(run("[1].filter(function(i, x) { throw \"in filter\"; });"), "error: in filter");
    EXPECT_EQ(run("[1, 2].reduce(function(a, b) { throw \"in reduce\"; });"), "error: in reduce");
    EXPECT_EQ(run("({a = 1}).filter(function(k, v) { throw \"in tfilter\"; });"), "error: in tfilter");
}

TEST_F(Baselib, ArraySliceBounds) {
    EXPECT_EQ(run("local a = [1, 2, 3]; P(J(a.slice(-1))); P(J(a.slice(1, -1))); P(J(a.slice(3, 3)));"),
              "[3]\n[2]\n[]\n");
    EXPECT_EQ(run("[1, 2, 3].slice(0, 4);"), "error: slice out of range");
    EXPECT_EQ(run("[1, 2, 3].slice(2, 1);"), "error: wrong indexes");
}

TEST_F(Baselib, StringSliceAndCaseRanges) {
    EXPECT_EQ(run("local s = \"abcdef\"; P(s.slice(-3, -1)); P(s.slice(6)); P(s.toupper(-2)); P(s.toupper(1, 1));"),
              "de\n\nabcdEF\nabcdef\n");
    EXPECT_EQ(run("\"abc\".slice(1, 4);"), "error: slice out of range");
    EXPECT_EQ(run("\"abc\".slice(-4);"), "error: slice out of range");
    EXPECT_EQ(run("\"abc\".tolower(2, 1);"), "error: wrong indexes");
}

TEST_F(Baselib, StringFindBoundaries) {
    EXPECT_EQ(run("local s = \"abcabc\"; P(s.find(\"c\", 3)); P(s.find(\"\", 6)); P(s.find(\"a\", 7)); "
                  "P(s.find(\"a\", -1)); P(s.find(\"abcabcd\"));"),
              "5\nnull\nnull\nnull\nnull\n");
}

TEST_F(Baselib, StringToNumberConversions) {
    EXPECT_EQ(run("P(\"42\".tointeger()); P(\"  -7\".tointeger()); P(\"12abc\".tointeger()); P(\"2.9\".tointeger());"
                  "P(\"1e3\".tointeger()); P(\"ff\".tointeger(16)); P(\"-101\".tointeger(2));"),
              "42\n-7\n12\n2\n1000\n255\n-5\n");
    EXPECT_EQ(run("P(\"1e5\".tointeger(16)); P(\"e\".tointeger(16)); P(\"1.5\".tointeger(2)); P(\"1e2\".tointeger(8));"),
              "485\n14\n1\n100\n");
    EXPECT_EQ(run("P(\"2.5\".tofloat()); P(\"3\".tofloat()); P(typeof \"3\".tofloat());"), "2.5\n3\nfloat\n");
    EXPECT_EQ(run("\"abc\".tointeger();"), "error: cannot convert the string");
    EXPECT_EQ(run("\"\".tointeger();"), "error: cannot convert the string");
    // A base outside 2..36 reads nothing and gives 0; base 0 reads a C prefix.
    EXPECT_EQ(run("P(\"12\".tointeger(1)); P(\"12\".tointeger(37)); P(\"0x1f\".tointeger(0)); P(\"017\".tointeger(0));"),
              "0\n0\n31\n15\n");
    EXPECT_EQ(run("\"x1\".tofloat();"), "error: cannot convert the string");
}

TEST_F(Baselib, NumberConversions) {
    EXPECT_EQ(run("P((65).tochar()); P(true.tointeger()); P(false.tofloat()); P((7).tofloat() / 2); P((-2.5).tointeger());"),
              "A\n1\n0\n3.5\n-2\n");
    EXPECT_EQ(run("P((1e20).tointeger()); P((0.0 / 0.0).tointeger()); P((-1e20).tointeger());"),
              "-2147483648\n-2147483648\n-2147483648\n");
}

TEST_F(Baselib, TableMethodsOnMissingSlotsAndNullKeys) {
    EXPECT_EQ(run("local t = {a = 1}; P(t.rawdelete(\"a\")); P(t.rawdelete(\"a\")); P(t.len());"), "1\nnull\n0\n");
    EXPECT_EQ(run("({}).rawget(\"x\");"), "error: the index doesn't exist");
    EXPECT_EQ(run("P(({}).rawin(null));"), "false\n");
    EXPECT_EQ(run("local t = {}; P(t.rawset(\"k\", 2) == t); P(t.k);"), "true\n2\n");
}

TEST_F(Baselib, TableCallbacksSeeASnapshot) {
    EXPECT_EQ(run("local t = {a = 1, b = 2, c = 3};"
                  "local m = t.map(function(k, v) { t.clear(); return k + v; }); P(J(m)); P(t.len());"),
              "[a1,b2,c3]\n0\n");
    EXPECT_EQ(run("local t = {a = 1}; local f = t.filter(function(k, v) { t.z <- 9; return true; });"
                  "P(J(f.keys())); P(t.len());"),
              "[a]\n2\n");
}

TEST_F(Baselib, SetDelegateRejectsCyclesAndNonTables) {
    EXPECT_EQ(run("local a = {}, b = {}, c = {}; a.setdelegate(b); b.setdelegate(c);"
                  "try { c.setdelegate(a); } catch (e) P(e); P(c.getdelegate());"),
              "delegate cycle\nnull\n");
    EXPECT_EQ(run("({}).setdelegate([]);").rfind("error: parameter 1 has an invalid type 'array'", 0), 0u);
}

TEST_F(Baselib, FunctionInfosOfNativeClosures) {
    EXPECT_EQ(run("local i = array.getinfos(); P(i.native + \" \" + i.name + \" \" + i.paramscheck + \" \" + i.typecheck.len());"),
              "true array -2 2\n");
    EXPECT_EQ(run("P(dummy.getinfos().typecheck);"), "null\n");
}

TEST_F(Baselib, AcallAndBindenvRejectBadArguments) {
    EXPECT_EQ(run("print.acall([]);"), "error: wrong number of parameters");
    EXPECT_EQ(run("(@() 1).bindenv(3);").rfind("error: parameter 1 has an invalid type 'integer'", 0), 0u);
    EXPECT_EQ(run("P((function() { return this.k; }).pcall({k = 5}));"), "5\n");
}

TEST_F(Baselib, AssertMessages) {
    EXPECT_EQ(run("assert(1); assert(\"\"); P(\"passed\");"), "passed\n");
    EXPECT_EQ(run("assert(0);"), "error: assertion failed");
    EXPECT_EQ(run("assert(false, 42);"), "error: 42");
}

TEST_F(Baselib, CompileStringErrorsAreCatchable) {
    EXPECT_EQ(run("P(compilestring(\"return 1 + 2;\")());"), "3\n");
    EXPECT_EQ(run("try { compilestring(\"return (;\"); } catch (e) P(\"caught\");"), "caught\n");
}

TEST_F(Baselib, RootAndConstTablesSwap) {
    EXPECT_EQ(run("local old = getroottable(), fresh = {};"
                  "P(setroottable(fresh) == old); P(getroottable() == fresh); compilestring(\"::x <- 1\")();"
                  "setroottable(old); P(fresh.x); P(\"x\" in old);"),
              "true\ntrue\n1\nfalse\n");
    EXPECT_EQ(run("local c = getconsttable(); P(setconsttable({}) == c); setconsttable(c); P(getconsttable() == c);"),
              "true\ntrue\n");
}

TEST_F(Baselib, TypeIgnoresTypeofAndCalleeIsTheCaller) {
    EXPECT_EQ(run("class A { function _typeof() { return \"custom\"; } }"
                  "P(type(A()) + \" \" + typeof A()); P(type(print) + \" \" + type(1.5));"),
              "instance custom\nfunction float\n");
    EXPECT_EQ(run("function f() { return callee(); } P(f() == f);"), "true\n");
}

TEST_F(Baselib, SizeConstants) {
    EXPECT_EQ(run("P(_intsize_ + \" \" + _floatsize_ + \" \" + _charsize_ + \" \" + _versionnumber_);"),
              "4 4 1 320\n");
}

TEST_F(Baselib, StackInfosDescribeTheCaller) {
    EXPECT_EQ(run("function where(a) { local b = 2; local i = getstackinfos(1);"
                  "  return i.func + \" \" + i.src + \" \" + i.line + \" \" + i.locals.a + i.locals.b; }\n"
                  "P(where(1)); P(getstackinfos(1000));"),
              "where test 3 12\nnull\n");
}

TEST_F(Baselib, ThreadLifecycle) {
    EXPECT_EQ(run("local t = newthread(function(a) { local b = suspend(a + 1); return b * 2; });"
                  "P(t.getstatus()); P(t.call(1)); P(t.getstatus()); P(t.wakeup(5)); P(t.getstatus());"),
              "idle\n2\nsuspended\n10\nidle\n");
    EXPECT_EQ(run("newthread(@() 1).wakeup();"), "error: cannot wakeup a idle thread");
    EXPECT_EQ(run("local t; t = newthread(function() { return t.wakeup(); }); t.call();"),
              "error: cannot wakeup a running thread");
    EXPECT_EQ(run("local t = newthread(function() { suspend(); }); t.call(); t.call();"),
              "error: the thread is not idle");
}

TEST_F(Baselib, EndlessThreadNestingIsAScriptError) {
    EXPECT_EQ(run("function k() { return newthread(k).call(); } try { k(); } catch (e) P(e);"), "stack overflow\n");
    EXPECT_EQ(run("function w() { local t = newthread(function() { suspend(1); return w(); }); t.call(); return t.wakeup(); }"
                  "try { w(); } catch (e) P(e);"),
              "stack overflow\n");
    EXPECT_EQ(run("function n(d) { return d == 0 ? \"bottom\" : newthread(n).call(d - 1); } P(n(20));"), "bottom\n");
}

TEST_F(Baselib, WakeupThrowRaisesInsideTheThread) {
    EXPECT_EQ(run("local t = newthread(function() { try { suspend(1); } catch (e) { return \"caught \" + e; } });"
                  "t.call(); P(t.wakeupthrow(\"boom\")); P(t.getstatus());"),
              "caught boom\nidle\n");
    EXPECT_EQ(run("local t = newthread(function() { suspend(1); }); t.call();"
                  "try { t.wakeupthrow(\"up\"); } catch (e) P(\"propagated \" + e);"),
              "propagated up\n");
    EXPECT_EQ(run("local t = newthread(function() { suspend(1); }); t.call();"
                  "P(t.wakeupthrow(\"quiet\", false)); P(t.getstatus());"),
              "null\nidle\n");
}

TEST_F(Baselib, ThreadStackInfosShowTheSuspendedFrame) {
    EXPECT_EQ(run("local t = newthread(function(a) { local z = a * 2; suspend(); });"
                  "t.call(4); local i = t.getstackinfos(0); P(i.locals.z + \" \" + i.locals.a); P(t.getstackinfos(5));"),
              "8 4\nnull\n");
}

TEST_F(Baselib, ClassAttributesAndMembers) {
    EXPECT_EQ(run("class A </ tag = \"cls\" /> { </ w = 1 /> x = 1; function f() { return 2; } }"
                  "P(A.getattributes(null).tag + \" \" + A.getattributes(\"x\").w);"
                  "P(A.setattributes(\"x\", { w = 5 }).w + \" \" + A.getattributes(\"x\").w);"
                  "A.newmember(\"s\", 7, { note = \"n\" }, true); A.rawnewmember(\"g\", 8);"
                  "P(A.s + \" \" + A.getattributes(\"s\").note + \" \" + A.g);"
                  "P(A.rawin(\"f\") + \" \" + A.rawin(\"nope\") + \" \" + A.rawget(\"x\"));"
                  "A.rawset(\"y\", 3); P(A().y);"),
              "cls 1\n1 5\n7 n 8\ntrue false 1\n3\n");
    EXPECT_EQ(run("class A { x = 1; } local i = A(); try { A.newmember(\"q\", 1); } catch (e) P(e);"),
              "trying to modify a class that has already been instantiated\n");
}

TEST_F(Baselib, InstanceRawAccessAndBareInstances) {
    EXPECT_EQ(run("class A { x = 1; function _get(k) { if (k == \"y\") return \"meta\"; throw null; } } local i = A();"
                  "P(i.getclass() == A); P(i.rawin(\"x\") + \" \" + i.rawin(\"y\")); P(i.y);"
                  "P(i.rawset(\"x\", 9) == i); P(i.rawget(\"x\")); try { i.rawget(\"y\"); } catch (e) P(e);"),
              "true\ntrue false\nmeta\ntrue\n9\nthe index doesn't exist\n");
    EXPECT_EQ(run("class B { v = 0; constructor() { v = 1; } } P(B.instance().v + \" \" + B().v);"), "0 1\n");
}

TEST_F(Baselib, ClosureRootsAndEnvironments) {
    EXPECT_EQ(run("local r = { k = \"from r\" }; local f = function() { return ::k; };"
                  "P(f.setroot(r) == f); P(f()); P(f.getroot() == r);"),
              "true\nfrom r\ntrue\n");
    EXPECT_EQ(run("local f = function() { return this.n; }; local env = { n = 1 }; local b = f.bindenv(env);"
                  "P(b() + \" \" + f.call({ n = 2 }) + \" \" + b.acall([{ n = 3 }]));"),
              "1 2 1\n");
}

// An error a script catches is never reported, whichever way the function
// was called; call and acall report it when nothing catches it.
TEST_F(Baselib, CaughtErrorsAreNotReportedWhicheverWayTheyWereCalled) {
    EXPECT_EQ(run("::seen <- \"\"; seterrorhandler(function(e) { ::seen += \"[\" + e + \"]\"; });"
                  "function boom() { throw \"x\"; }"
                  "try { boom.pcall(this); } catch (e) {} try { boom.pacall([this]); } catch (e) {} P(seen);"
                  "try { boom.call(this); } catch (e) {} try { boom.acall([this]); } catch (e) {} P(seen);"),
              "\n\n");
    EXPECT_EQ(run("::seen <- \"\"; seterrorhandler(function(e) { ::seen += \"[\" + e + \"]\"; });"
                  "function boom() { throw \"y\"; } boom.call(this);"),
              "error: y");
}

TEST_F(Baselib, GeneratorStatusAndWeakrefs) {
    EXPECT_EQ(run("function g() { yield 1; } local x = g(); P(x.getstatus()); resume x; resume x; P(x.getstatus());"),
              "suspended\ndead\n");
    EXPECT_EQ(run("local t = {}; local w = t.weakref(); P(w.ref() == t); t = null; P(w.ref()); P((5).weakref());"),
              "true\nnull\n5\n");
}

}  // namespace
