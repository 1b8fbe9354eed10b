// Recursion far deeper than a fixed small call stack allows.
function depth(n) { if (n == 0) return 0; return 1 + depth(n - 1); }
print(depth(100000) + "\n");
function sum(a, i) { return i == a.len() ? 0 : a[i] + sum(a, i + 1); }
local a = array(50000, 2);
print(sum(a, 0) + "\n");
local gen = function(n) { if (n > 0) return callee()(n - 1) + 1; return 0; };
print(gen(30000) + "\n");
