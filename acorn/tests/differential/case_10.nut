
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

try { show((((-1) << (1)) & 0xffffff) + (1e3 + 3.75)); } catch (e) { print("E: " + e + "\n"); }
try { show("3.5".slice(-2).tointeger()); } catch (e) { print("E: " + e + "\n"); }
try { show("0x1f".slice(2)); } catch (e) { print("E: " + e + "\n"); }
try { show("Hello".toupper()); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%")); } catch (e) { print("E: " + e + "\n"); }
try { show("hello"[-1]); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%x")); } catch (e) { print("E: " + e + "\n"); }
try { show(-13 + { a = 1, b = "x" }); } catch (e) { print("E: " + e + "\n"); }
try { show(T(1)); } catch (e) { print("E: " + e + "\n"); }
try { show(null < false); } catch (e) { print("E: " + e + "\n"); }
try { show(J([-1, 255, 1, 100, 0, 0, 255].sort(@(a, b) "x"))); } catch (e) { print("E: " + e + "\n"); }
try { show(G(0)); } catch (e) { print("E: " + e + "\n"); }
try { show((((((((100) << (4)) & 0xffffff) & 0xffff) & ((100 / (65535 == 0 ? 1 : 65535)) & 0xffff)) & 0xffff) ^ (((0) >> (3)) & 0xffff)) - 65535); } catch (e) { print("E: " + e + "\n"); }
try { show(null <= true); } catch (e) { print("E: " + e + "\n"); }
try { show(false * { a = 1, b = "x" }); } catch (e) { print("E: " + e + "\n"); }
try { show([7, 255, 7, 255, 7].insert(-1, 9).len()); } catch (e) { print("E: " + e + "\n"); }
try { show(typeof W(2)); } catch (e) { print("E: " + e + "\n"); }
try { show([-1, -1, 100].map(@(x) x * 2).len()); } catch (e) { print("E: " + e + "\n"); }
try { show(D(2)); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%s|%s")); } catch (e) { print("E: " + e + "\n"); }
try { show((-2.25 * 0.0) < ("Hello" + "Hello")); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%d %d", "a", 0)); } catch (e) { print("E: " + e + "\n"); }
try { show(("" + 2).tofloat()); } catch (e) { print("E: " + e + "\n"); }
try { show(D(2, 0)); } catch (e) { print("E: " + e + "\n"); }
try { show(false / ((((((1 & 0xffff) & (7 & 0xffff)) & 0xffff) & (0 & 0xffff)) & 0xffff) ^ (65535 & 0xffff))); } catch (e) { print("E: " + e + "\n"); }
try { show("a"[-13]); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%d %d")); } catch (e) { print("E: " + e + "\n"); }
try { show(D(0, 0)); } catch (e) { print("E: " + e + "\n"); }
