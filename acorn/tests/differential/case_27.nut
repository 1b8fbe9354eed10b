
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

try { show(V(((1 & 0xffff) & ((((0 & 0xffff) + (-13 & 0xffff)) / (((255 & 0xffff) | (-13 & 0xffff)) == 0 ? 1 : ((255 & 0xffff) | (-13 & 0xffff)))) & 0xffff))) < V(100)); } catch (e) { print("E: " + e + "\n"); }
try { show(J([].sort(@(a, b) null))); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%-4d|", 1, 100)); } catch (e) { print("E: " + e + "\n"); }
try { show(((1e3 * 0.0)).tofloat()); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%s|%s", 0)); } catch (e) { print("E: " + e + "\n"); }
try { show("a".slice(2)); } catch (e) { print("E: " + e + "\n"); }
try { show(T(2)); } catch (e) { print("E: " + e + "\n"); }
try { show(("a".toupper()).tointeger()); } catch (e) { print("E: " + e + "\n"); }
try { show("-7".toupper()); } catch (e) { print("E: " + e + "\n"); }
try { show(T(0)); } catch (e) { print("E: " + e + "\n"); }
try { show([2, 1].slice(7)); } catch (e) { print("E: " + e + "\n"); }
try { show("hello"[1]); } catch (e) { print("E: " + e + "\n"); }
try { show("".tolower().find("  pad  ")); } catch (e) { print("E: " + e + "\n"); }
try { show(T(0)); } catch (e) { print("E: " + e + "\n"); }
try { show(D(1)); } catch (e) { print("E: " + e + "\n"); }
try { show(V(-1) + V(255)); } catch (e) { print("E: " + e + "\n"); }
try { show(G(2)); } catch (e) { print("E: " + e + "\n"); }
try { show(V(((-1 & 0xffff) - (1 & 0xffff))) < V(((((((65535 & 0xffff) & (0 & 0xffff)) & 0xffff) + (255 & 0xffff)) & 0xffff) - (255 & 0xffff)))); } catch (e) { print("E: " + e + "\n"); }
try { show(((65535 & 0xffff) ^ (((((2) >> (3)) & 0xffff) ^ ((100 / (1 == 0 ? 1 : 1)) & 0xffff)) & 0xffff)) >= -13); } catch (e) { print("E: " + e + "\n"); }
try { show([].insert(0, 9).len()); } catch (e) { print("E: " + e + "\n"); }
try { show("a".toupper().toupper()); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2][""]); } catch (e) { print("E: " + e + "\n"); }
try { show({ a = 1, b = "x" } != ((((2 % (65535 == 0 ? 1 : 65535)) & 0xffff) | ((1 % (255 == 0 ? 1 : 255)) & 0xffff)) / ((65535 / (((2 & 0xffff) ^ (2 & 0xffff)) == 0 ? 1 : ((2 & 0xffff) ^ (2 & 0xffff)))) == 0 ? 1 : (65535 / (((2 & 0xffff) ^ (2 & 0xffff)) == 0 ? 1 : ((2 & 0xffff) ^ (2 & 0xffff))))))); } catch (e) { print("E: " + e + "\n"); }
try { show("Hello".toupper().find("a,b,,c", 1)); } catch (e) { print("E: " + e + "\n"); }
try { show(G(1)); } catch (e) { print("E: " + e + "\n"); }
try { show(((((100 % (((100 & 0xffff) + (0 & 0xffff)) == 0 ? 1 : ((100 & 0xffff) + (0 & 0xffff)))) & 0xffff) & (-1 & 0xffff))).tostring()); } catch (e) { print("E: " + e + "\n"); }
try { show(J([].sort(@(a, b) null))); } catch (e) { print("E: " + e + "\n"); }
try { show(V(((((((2 & 0xffff) | (255 & 0xffff)) & 0xffff) | (((7 & 0xffff) | (255 & 0xffff)) & 0xffff))) >> (2))) + V(65535)); } catch (e) { print("E: " + e + "\n"); }
try { show(J([255].sort(@(a, b) true))); } catch (e) { print("E: " + e + "\n"); }
try { show(W(((255 & 0xffff) + ((((-1 / (-1 == 0 ? 1 : -1)) & 0xffff) + (((1 & 0xffff) + (65535 & 0xffff)) & 0xffff)) & 0xffff))).twice()); } catch (e) { print("E: " + e + "\n"); }
