
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
try { show([-13, 2].insert(1, 9).len()); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%")); } catch (e) { print("E: " + e + "\n"); }
try { show(W(((((((1 & 0xffff) | (255 & 0xffff))) << (6)) & 0xffffff) / ((((7) << (6)) & 0xffffff) == 0 ? 1 : (((7) << (6)) & 0xffffff)))).twice()); } catch (e) { print("E: " + e + "\n"); }
try { show(typeof W(2)); } catch (e) { print("E: " + e + "\n"); }
try { show(J([-13, 1, -1, 255, 2].sort(@(a, b) "x"))); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2, 3][-13]); } catch (e) { print("E: " + e + "\n"); }
try { show("-7".slice(2)); } catch (e) { print("E: " + e + "\n"); }
try { show(V((2 % (((((-1 & 0xffff) ^ (65535 & 0xffff)) & 0xffff) + (((0 & 0xffff) & (0 & 0xffff)) & 0xffff)) == 0 ? 1 : ((((-1 & 0xffff) ^ (65535 & 0xffff)) & 0xffff) + (((0 & 0xffff) & (0 & 0xffff)) & 0xffff))))) <=> ((((((65535 & 0xffff) | (2 & 0xffff)) & 0xffff) - (((100 & 0xffff) + (255 & 0xffff)) & 0xffff)) & 0xffff) & ((((7 & 0xffff) - (-13 & 0xffff)) % (((65535 & 0xffff) ^ (2 & 0xffff)) == 0 ? 1 : ((65535 & 0xffff) ^ (2 & 0xffff)))) & 0xffff))); } catch (e) { print("E: " + e + "\n"); }
try { show([7].apply(@(x) x).len()); } catch (e) { print("E: " + e + "\n"); }
try { show((0.0 - 3.75) % (-13 | 1)); } catch (e) { print("E: " + e + "\n"); }
try { show(T(1)); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2][""]); } catch (e) { print("E: " + e + "\n"); }
try { show(null * null); } catch (e) { print("E: " + e + "\n"); }
try { show("Hello".slice(1).find("3.5", 2)); } catch (e) { print("E: " + e + "\n"); }
