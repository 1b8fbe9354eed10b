
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

try { show(W(3) instanceof V); } catch (e) { print("E: " + e + "\n"); }
try { show(typeof V(1)); } catch (e) { print("E: " + e + "\n"); }
try { show("hello"[0]); } catch (e) { print("E: " + e + "\n"); }
try { show('a'); } catch (e) { print("E: " + e + "\n"); }
try { show(R(416)); } catch (e) { print("E: " + e + "\n"); }
try { show(((((((((-1 & 0xffff) + (100 & 0xffff))) << (7)) & 0xffffff)) << (3)) & 0xffffff) == (3.75 + 1)); } catch (e) { print("E: " + e + "\n"); }
try { show([-13, 0, 100].slice(0)); } catch (e) { print("E: " + e + "\n"); }
try { show(("12" + "").slice(0)); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2]["abc"]); } catch (e) { print("E: " + e + "\n"); }
try { show("12".tointeger(0)); } catch (e) { print("E: " + e + "\n"); }
try { show(((((((1 & 0xffff) ^ (100 & 0xffff)) & 0xffff) + ((2 % (0 == 0 ? 1 : 0)) & 0xffff)) & 0xffff) ^ (((((((-1) << (6)) & 0xffffff)) << (6)) & 0xffffff) & 0xffff)) <= true); } catch (e) { print("E: " + e + "\n"); }
try { show(09); } catch (e) { print("E: " + e + "\n"); }
try { show(T(1)); } catch (e) { print("E: " + e + "\n"); }
try { show((("12" + "a,b,,c")).len()); } catch (e) { print("E: " + e + "\n"); }
try { show(J([2, -13, 2, 255, 0, 0].sort(@(a, b) null))); } catch (e) { print("E: " + e + "\n"); }
try { show(J([100, 100, 1, -1, 2, 2, 0].sort())); } catch (e) { print("E: " + e + "\n"); }
try { show(("" + "Hello").toupper()); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%-4d|", "", 7)); } catch (e) { print("E: " + e + "\n"); }
try { show((("0x1f" + "  pad  ")).tofloat()); } catch (e) { print("E: " + e + "\n"); }
try { show(D()); } catch (e) { print("E: " + e + "\n"); }
try { show("a,b,,c".slice(1).slice(2)); } catch (e) { print("E: " + e + "\n"); }
