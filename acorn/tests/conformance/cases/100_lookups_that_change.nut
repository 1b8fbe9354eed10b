// Lookups an instruction repeats while what it looks in changes under it:
// tables growing and shrinking, methods added to a class after it has
// instances, names a method reads from the root table, and the built-in
// methods of arrays and strings.
::helper <- function() { return "global helper"; }
class Shape {
    sides = 0;
    constructor(n) { sides = n; }
    function describe() { return helper() + " " + sides; }
    function name() { return getclass() == Shape ? "shape" : "other"; }
}
local s = Shape(3);
for (local i = 0; i < 3; i++) print(s.describe() + "\n");
Shape.helper <- function() { return "method helper"; };
print(s.describe() + "\n");
print(s.name() + "\n");
::helper <- function() { return "new global"; };
print(Shape(4).describe() + "\n");

class Lazy {
    function _get(key) { return "got " + key; }
    function ask() { return answer; }
}
print(Lazy().ask() + "\n");
::answer <- 42;
print(Lazy().ask() + "\n");

local t = { a = 1, b = 2 };
local reads = [];
for (local round = 0; round < 4; round++) {
    reads.append(t.a);
    if (round == 0) { delete t.a; t.a <- 10; }
    if (round == 1) { for (local k = 0; k < 100; k++) t["k" + k] <- k; t.a = 20; }
    if (round == 2) { t = { a = 30 }; }
}
foreach (r in reads) print(r + " ");
print("\n");

local things = [[1, 2, 3], "abc", [4], "de"];
foreach (x in things) print(x.len() + " " + typeof x.len + "\n");
local e = [];
try { e.nosuch(); } catch (err) { print(err + "\n"); }
try { "abc".nosuch(); } catch (err) { print(err + "\n"); }
local counter = 0;
local obj = { len = function() { return 99; } };
print(obj.len() + "\n");
