// Arguments may be written without commas between them.
function sum3(a, b, c) { return a + b + c; }
print(sum3(1 2 3) + "\n");
print(format("%s-%s\n" "x" "y"));
local nums = [1 2 3];
print(nums.len() + "\n");
print(sum3(1, 2 3) + "\n");
// A number followed by a dot is a float, so this is print(65.0, tostring()).
try { print(65.tostring()); } catch (e) { print("caught: " + e + "\n"); }

// A function expression whose body is one statement ends the declaration too.
local twice = function(x) return x * 2;
print(twice(4) + "\n");
local add = function(a, b) return a + b; print(add(2, 3) + "\n");
local t = { v = 7 } print(t.v + "\n");

// A trailing comma in a call and a missing comma between parameters are errors.
foreach (src in ["print(1,);", "function f(a b) {}"]) {
    try { compilestring(src); print("compiled: " + src + "\n"); }
    catch (e) { print(src + " -> " + e + "\n"); }
}
