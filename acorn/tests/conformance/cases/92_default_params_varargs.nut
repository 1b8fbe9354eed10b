// Default parameters and varargs do not mix; each works alone.
try { compilestring("function f(a, b = 2, ...) { return a; }"); print("compiled\n"); } catch (e) { print(e + "\n"); }
function d(a, b = 2, c = 3) { return a + b + c; }
function v(a, ...) { return a + vargv.len(); }
print(d(1) + " " + d(1, 5) + " " + d(1, 5, 7) + "\n");
print(v(1) + " " + v(1, 0, 0, 0) + "\n");
try { d(); } catch (e) { print(e + "\n"); }
try { d(1, 2, 3, 4); } catch (e) { print(e + "\n"); }
local l = @(x = 10) x * 2;
print(l() + " " + l(4) + "\n");
