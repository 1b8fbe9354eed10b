
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

try { show((function() { local t = null; t["a"] = 7; return t["a"]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show("017".tointeger(10)); } catch (e) { print("E: " + e + "\n"); }
try { show(((((((1) >> (5)) & 0xffff) ^ (((0) >> (1)) & 0xffff))) >> (8)) - "abc"); } catch (e) { print("E: " + e + "\n"); }
try { show("0x1f".len()); } catch (e) { print("E: " + e + "\n"); }
try { show('\x41'); } catch (e) { print("E: " + e + "\n"); }
try { show((((((7 & 0xffff) ^ ((-1 / (-1 == 0 ? 1 : -1)) & 0xffff))) << (4)) & 0xffffff) > false); } catch (e) { print("E: " + e + "\n"); }
try { show(2 * { a = 1, b = "x" }); } catch (e) { print("E: " + e + "\n"); }
try { show(V(1) < V(65535)); } catch (e) { print("E: " + e + "\n"); }
try { show("".len()); } catch (e) { print("E: " + e + "\n"); }
try { show(T(3)); } catch (e) { print("E: " + e + "\n"); }
try { show(D(-1)); } catch (e) { print("E: " + e + "\n"); }
try { show("ff".tointeger(36)); } catch (e) { print("E: " + e + "\n"); }
try { show((null).tofloat()); } catch (e) { print("E: " + e + "\n"); }
try { show(5.e1); } catch (e) { print("E: " + e + "\n"); }
try { show(1.5.5); } catch (e) { print("E: " + e + "\n"); }
try { show({ a = 1, b = "x" } == true); } catch (e) { print("E: " + e + "\n"); }
try { show(J([-13, 100, -1, -1, -13, 2, -13].sort(@(a, b) b <=> a))); } catch (e) { print("E: " + e + "\n"); }
try { show(("a,b,,c").tointeger()); } catch (e) { print("E: " + e + "\n"); }
try { show(true * { a = 1, b = "x" }); } catch (e) { print("E: " + e + "\n"); }
try { show([-1] - null); } catch (e) { print("E: " + e + "\n"); }
try { show(R(506)); } catch (e) { print("E: " + e + "\n"); }
try { show([7, 100, 255, -13].find(-13)); } catch (e) { print("E: " + e + "\n"); }
try { show(D(2, 2)); } catch (e) { print("E: " + e + "\n"); }
try { show(T(4)); } catch (e) { print("E: " + e + "\n"); }
try { show((100).tostring()); } catch (e) { print("E: " + e + "\n"); }
try { show(T(2)); } catch (e) { print("E: " + e + "\n"); }
try { show(T(2)); } catch (e) { print("E: " + e + "\n"); }
