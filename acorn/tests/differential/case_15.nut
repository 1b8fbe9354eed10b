
function J(a) { local s = "["; foreach (i, x in a) s += (i ? "," : "") + x; return s + "]"; }
function show(v) {
    local t = typeof v;
    if (t == "array") print("array " + J(v) + "\n");
    else if (t == "table" || t == "instance" || t == "class" || t == "closure" || t == "nativeclosure") print(t + "\n");
    else print(t + " " + v + "\n");
}
class V {
    n = 0;
    constructor(x) { n = x; }
    function _add(o) { return V(n + o.n).n; }
    function _sub(o) { return n - o; }
    function _cmp(o) { return n <=> o.n; }
    function _tostring() { return "V" + n; }
}
class W extends V { function twice() { return n * 2; } }
function G(n) { local g = (function(k) { for (local i = 0; i < k; i++) yield i * i; return -1; })(n);
    local s = ""; foreach (x in g) s += x + ";"; return s; }
function T(n) { local t = newthread(function(k) { for (local i = 0; i < k; i++) suspend(i); return "end"; });
    local s = "" + t.call(n); while (t.getstatus() == "suspended") s += "," + t.wakeup(); return s; }
function D(a, b = 5) { return a * 10 + b; }
function R(n) { return n == 0 ? 0 : 1 + R(n - 1); }

try { show((1e3 + 1.5) + { a = 1, b = "x" }); } catch (e) { print("E: " + e + "\n"); }
try { show(J([7, 100, 7, -13, 2].sort(@(a, b) true))); } catch (e) { print("E: " + e + "\n"); }
try { show(09); } catch (e) { print("E: " + e + "\n"); }
try { show("".tointeger(16)); } catch (e) { print("E: " + e + "\n"); }
try { show([100, 2].insert(2, 9).len()); } catch (e) { print("E: " + e + "\n"); }
try { show(T(2)); } catch (e) { print("E: " + e + "\n"); }
try { show(V(1).tostring()); } catch (e) { print("E: " + e + "\n"); }
try { show("12".tointeger(36)); } catch (e) { print("E: " + e + "\n"); }
try { show(1.5.5); } catch (e) { print("E: " + e + "\n"); }
try { show(null * true); } catch (e) { print("E: " + e + "\n"); }
try { show(("a,b,,c" + "-7").tointeger()); } catch (e) { print("E: " + e + "\n"); }
try { show("" - [-13, 0, -13, 7]); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%-4d|")); } catch (e) { print("E: " + e + "\n"); }
try { show(J([-13, 255, 255, 1, 100].sort(@(a, b) a <=> b))); } catch (e) { print("E: " + e + "\n"); }
try { show(0.5e-1); } catch (e) { print("E: " + e + "\n"); }
try { show(T(0)); } catch (e) { print("E: " + e + "\n"); }
