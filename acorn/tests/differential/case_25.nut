
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

try { show({ a = 1, b = "x" } * [0, -1, 0]); } catch (e) { print("E: " + e + "\n"); }
try { show(((1.5 * 1)).len()); } catch (e) { print("E: " + e + "\n"); }
try { show(null == null); } catch (e) { print("E: " + e + "\n"); }
try { show("hello"[-13]); } catch (e) { print("E: " + e + "\n"); }
try { show(null >= null); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%", "")); } catch (e) { print("E: " + e + "\n"); }
try { show(G(0)); } catch (e) { print("E: " + e + "\n"); }
try { show(((((((2 & 0xffff) ^ (-1 & 0xffff)) / (((7 & 0xffff) + (0 & 0xffff)) == 0 ? 1 : ((7 & 0xffff) + (0 & 0xffff)))) & 0xffff) - (((((-1 & 0xffff) - (1 & 0xffff)) & 0xffff) - (((-1 & 0xffff) ^ (-1 & 0xffff)) & 0xffff)) & 0xffff))).tofloat()); } catch (e) { print("E: " + e + "\n"); }
try { show(D(1)); } catch (e) { print("E: " + e + "\n"); }
try { show(D()); } catch (e) { print("E: " + e + "\n"); }
try { show(J([7, 0, -1, 7].sort(@(a, b) (a - b) * 0.5))); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%d", 100, 0)); } catch (e) { print("E: " + e + "\n"); }
try { show((((255 & 0xffff) & (((((255) << (6)) & 0xffff) - (0 & 0xffff)) & 0xffff))).tointeger()); } catch (e) { print("E: " + e + "\n"); }
try { show({ a = 1 }["abc"]); } catch (e) { print("E: " + e + "\n"); }
try { show(G(0)); } catch (e) { print("E: " + e + "\n"); }
try { show("12" <= 65535); } catch (e) { print("E: " + e + "\n"); }
try { show("a".find("0x1f", 0)); } catch (e) { print("E: " + e + "\n"); }
try { show(("-7" + "0x1f").slice(2)); } catch (e) { print("E: " + e + "\n"); }
try { show(J([100, 0].sort(@(a, b) b <=> a))); } catch (e) { print("E: " + e + "\n"); }
try { show(J([2, -13, 7].sort(@(a, b) true))); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%", 0)); } catch (e) { print("E: " + e + "\n"); }
try { show([255, 0].remove(0)); } catch (e) { print("E: " + e + "\n"); }
