
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
try { show("0x1f".tointeger(16)); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%%", 100)); } catch (e) { print("E: " + e + "\n"); }
try { show(W(3) instanceof V); } catch (e) { print("E: " + e + "\n"); }
try { show(T(1)); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%", 7, 100)); } catch (e) { print("E: " + e + "\n"); }
try { show(G(3)); } catch (e) { print("E: " + e + "\n"); }
try { show(T(3)); } catch (e) { print("E: " + e + "\n"); }
try { show([2, 1, 2] != null); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%", 2, "abc")); } catch (e) { print("E: " + e + "\n"); }
try { show(((((((7) >> (5)) & 0xffff) | (((-1 & 0xffff) + (-13 & 0xffff)) & 0xffff)) & 0xffff) ^ (((((255 & 0xffff) ^ (1 & 0xffff)) & 0xffff) - ((7 / (0 == 0 ? 1 : 0)) & 0xffff)) & 0xffff)) > true); } catch (e) { print("E: " + e + "\n"); }
try { show({ a = 1 }[""]); } catch (e) { print("E: " + e + "\n"); }
try { show(false > -13); } catch (e) { print("E: " + e + "\n"); }
try { show(("a,b,,c" + -1).toupper()); } catch (e) { print("E: " + e + "\n"); }
try { show(0.5e-1); } catch (e) { print("E: " + e + "\n"); }
try { show("12".tointeger(36)); } catch (e) { print("E: " + e + "\n"); }
try { show([2, -13].slice(7)); } catch (e) { print("E: " + e + "\n"); }
try { show("zz".tointeger(16)); } catch (e) { print("E: " + e + "\n"); }
try { show(T(1)); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = "str"; t[0] <- 7; return t[0]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show(2 * false); } catch (e) { print("E: " + e + "\n"); }
try { show((-0.5 * -0.5) % (((((100 & 0xffff) - (((65535 & 0xffff) | (100 & 0xffff)) & 0xffff)) & 0xffff) + (((-1) >> (0)) & 0xffff)) | 1)); } catch (e) { print("E: " + e + "\n"); }
try { show("a,b,,c".tointeger()); } catch (e) { print("E: " + e + "\n"); }
try { show("0x1f".tointeger(10)); } catch (e) { print("E: " + e + "\n"); }
try { show("12".tointeger(36)); } catch (e) { print("E: " + e + "\n"); }
try { show(T(3)); } catch (e) { print("E: " + e + "\n"); }
try { show(-1 > false); } catch (e) { print("E: " + e + "\n"); }
try { show("12".tointeger(1)); } catch (e) { print("E: " + e + "\n"); }
