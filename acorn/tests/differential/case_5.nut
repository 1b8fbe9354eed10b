
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

try { show((((2 & 0xffff) | ((-1 / (2 == 0 ? 1 : 2)) & 0xffff))).len()); } catch (e) { print("E: " + e + "\n"); }
try { show((null).tofloat()); } catch (e) { print("E: " + e + "\n"); }
try { show("Hello" > 100); } catch (e) { print("E: " + e + "\n"); }
try { show(G(3)); } catch (e) { print("E: " + e + "\n"); }
try { show(W(3) instanceof V); } catch (e) { print("E: " + e + "\n"); }
try { show(null < true); } catch (e) { print("E: " + e + "\n"); }
try { show([0, -1].reverse().len()); } catch (e) { print("E: " + e + "\n"); }
try { show([0, 2, 255].map(@(x) x * 2).len()); } catch (e) { print("E: " + e + "\n"); }
try { show(V(255) <=> ((((0 & 0xffff) & (7 & 0xffff)) & 0xffff) ^ (((((65535 & 0xffff) ^ (2 & 0xffff)) & 0xffff) ^ (2 & 0xffff)) & 0xffff))); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%x", 1, 1)); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2]["abc"]); } catch (e) { print("E: " + e + "\n"); }
try { show(J([-13, -13, 100, 100].sort(@(a, b) a > b))); } catch (e) { print("E: " + e + "\n"); }
try { show("  pad  ".find("  pad  ", 7)); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%s|%s")); } catch (e) { print("E: " + e + "\n"); }
try { show(255 % ((((100) << (6)) & 0xffffff) | 1)); } catch (e) { print("E: " + e + "\n"); }
try { show(typeof V(1)); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%-4d|")); } catch (e) { print("E: " + e + "\n"); }
try { show(("-7" + "Hello").toupper()); } catch (e) { print("E: " + e + "\n"); }
try { show(D()); } catch (e) { print("E: " + e + "\n"); }
try { show(J([100].sort(@(a, b) a <=> b))); } catch (e) { print("E: " + e + "\n"); }
try { show(J([].sort(@(a, b) "x"))); } catch (e) { print("E: " + e + "\n"); }
try { show((null).tostring()); } catch (e) { print("E: " + e + "\n"); }
try { show((1e3 - 100.) % ((((((100) << (5)) & 0xffffff) & 0xffff) - (-1 & 0xffff)) | 1)); } catch (e) { print("E: " + e + "\n"); }
try { show(((-1 % ((((1 & 0xffff) | (255 & 0xffff)) % ((255 / (-1 == 0 ? 1 : -1)) == 0 ? 1 : (255 / (-1 == 0 ? 1 : -1)))) == 0 ? 1 : (((1 & 0xffff) | (255 & 0xffff)) % ((255 / (-1 == 0 ? 1 : -1)) == 0 ? 1 : (255 / (-1 == 0 ? 1 : -1))))))).tointeger()); } catch (e) { print("E: " + e + "\n"); }
try { show(V(2) < V(2)); } catch (e) { print("E: " + e + "\n"); }
try { show({ a = 1, b = "x" } != true); } catch (e) { print("E: " + e + "\n"); }
try { show("hello"[2]); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2, 3][7]); } catch (e) { print("E: " + e + "\n"); }
try { show(D()); } catch (e) { print("E: " + e + "\n"); }
