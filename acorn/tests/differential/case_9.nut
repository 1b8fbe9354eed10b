
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

try { show(T(2)); } catch (e) { print("E: " + e + "\n"); }
try { show((null).tostring()); } catch (e) { print("E: " + e + "\n"); }
try { show(D(0, -1)); } catch (e) { print("E: " + e + "\n"); }
try { show(D(0, -1)); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%c", 0)); } catch (e) { print("E: " + e + "\n"); }
try { show([0, 100, 0, 100, 255].map(@(x) x * 2).len()); } catch (e) { print("E: " + e + "\n"); }
try { show((0.1 - 0.0) % ((0 / (((((2 & 0xffff) | (100 & 0xffff)) & 0xffff) ^ (((-1 & 0xffff) + (0 & 0xffff)) & 0xffff)) == 0 ? 1 : ((((2 & 0xffff) | (100 & 0xffff)) & 0xffff) ^ (((-1 & 0xffff) + (0 & 0xffff)) & 0xffff)))) | 1)); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2, 3][7]); } catch (e) { print("E: " + e + "\n"); }
try { show((((65535 / (-13 == 0 ? 1 : -13))) >> (5)) > ("a,b,,c" + 2)); } catch (e) { print("E: " + e + "\n"); }
try { show((-2.25 - -2.25) % (((((0 & 0xffff) & (((7 & 0xffff) ^ (-13 & 0xffff)) & 0xffff))) >> (2)) | 1)); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2]["abc"]); } catch (e) { print("E: " + e + "\n"); }
try { show(J([].sort(@(a, b) a <=> b))); } catch (e) { print("E: " + e + "\n"); }
try { show((null).tofloat()); } catch (e) { print("E: " + e + "\n"); }
try { show(((255) >> (6)) < null); } catch (e) { print("E: " + e + "\n"); }
try { show(V(((((((1 % (0 == 0 ? 1 : 0))) << (3)) & 0xffffff) & 0xffff) - (((2 & 0xffff) - (0 & 0xffff)) & 0xffff))) + V(((((0 & 0xffff) + (((-13 & 0xffff) | (1 & 0xffff)) & 0xffff)) & 0xffff) | (65535 & 0xffff)))); } catch (e) { print("E: " + e + "\n"); }
try { show([-13].map(@(x) x * 2).len()); } catch (e) { print("E: " + e + "\n"); }
try { show(T(3)); } catch (e) { print("E: " + e + "\n"); }
try { show([-13, 1, 0, 100, 255].insert(7, 9).len()); } catch (e) { print("E: " + e + "\n"); }
try { show(D(-1, 1)); } catch (e) { print("E: " + e + "\n"); }
try { show(0 * ((((((100 & 0xffff) & (65535 & 0xffff)) & 0xffff) & (((7 & 0xffff) & (100 & 0xffff)) & 0xffff)) & 0xffff) ^ (((0) >> (1)) & 0xffff))); } catch (e) { print("E: " + e + "\n"); }
try { show((((-1 & 0xffff) & ((0 % (((0 & 0xffff) - (65535 & 0xffff)) == 0 ? 1 : ((0 & 0xffff) - (65535 & 0xffff)))) & 0xffff))).len()); } catch (e) { print("E: " + e + "\n"); }
try { show([2, 100, 0, 0].slice(-1)); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%", 7)); } catch (e) { print("E: " + e + "\n"); }
try { show(G(0)); } catch (e) { print("E: " + e + "\n"); }
