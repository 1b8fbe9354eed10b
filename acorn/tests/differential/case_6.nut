
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

try { show("ff".tointeger(37)); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = null; delete t[0]; return "deleted"; })()); } catch (e) { print("E: " + e + "\n"); }
try { show(T(3)); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = V(1); delete t["a"]; return "deleted"; })()); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = 5; t[true] <- 7; return t[true]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show(G(5)); } catch (e) { print("E: " + e + "\n"); }
try { show(null != [-13, 0, 2, -1]); } catch (e) { print("E: " + e + "\n"); }
try { show(null > true); } catch (e) { print("E: " + e + "\n"); }
try { show([2, 2] == 1); } catch (e) { print("E: " + e + "\n"); }
try { show(("12".slice(-2)).tofloat()); } catch (e) { print("E: " + e + "\n"); }
try { show({ a = 1 }["a"]); } catch (e) { print("E: " + e + "\n"); }
try { show(J([-1, 7, 0, 255, 0, -1, 0].sort(@(a, b) "x"))); } catch (e) { print("E: " + e + "\n"); }
try { show(T(4)); } catch (e) { print("E: " + e + "\n"); }
try { show(true <=> "abc"); } catch (e) { print("E: " + e + "\n"); }
try { show('\x41'); } catch (e) { print("E: " + e + "\n"); }
try { show(V((((-1) << (0)) & 0xffffff)) + V(7)); } catch (e) { print("E: " + e + "\n"); }
try { show((100. * 0.0) + { a = 1, b = "x" }); } catch (e) { print("E: " + e + "\n"); }
try { show((true).len()); } catch (e) { print("E: " + e + "\n"); }
try { show(T(4)); } catch (e) { print("E: " + e + "\n"); }
try { show({ a = 1 }["a"]); } catch (e) { print("E: " + e + "\n"); }
try { show(0x); } catch (e) { print("E: " + e + "\n"); }
try { show([1, -1, 1].map(@(x) x * 2).len()); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%", "abc")); } catch (e) { print("E: " + e + "\n"); }
try { show([100, -1, 255, 0, -13].slice(-1)); } catch (e) { print("E: " + e + "\n"); }
try { show(T(2)); } catch (e) { print("E: " + e + "\n"); }
try { show([].map(@(x) x * 2).len()); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = 5; delete t[true]; return "deleted"; })()); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%5.2f")); } catch (e) { print("E: " + e + "\n"); }
