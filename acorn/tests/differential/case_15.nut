
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

try { show(2 + (((((2) << (4)) & 0xffff) | (-13 & 0xffff)) % (((-13 & 0xffff) - (((65535) >> (7)) & 0xffff)) == 0 ? 1 : ((-13 & 0xffff) - (((65535) >> (7)) & 0xffff))))); } catch (e) { print("E: " + e + "\n"); }
try { show(T(2)); } catch (e) { print("E: " + e + "\n"); }
try { show(V(1).tostring()); } catch (e) { print("E: " + e + "\n"); }
try { show({ a = 1, b = "x" } / ((((0 % (2 == 0 ? 1 : 2))) << (0)) % (((((0 & 0xffff) - (65535 & 0xffff))) << (5)) == 0 ? 1 : ((((0 & 0xffff) - (65535 & 0xffff))) << (5))))); } catch (e) { print("E: " + e + "\n"); }
try { show(D(2)); } catch (e) { print("E: " + e + "\n"); }
try { show("-7" > true); } catch (e) { print("E: " + e + "\n"); }
try { show(W(3) instanceof V); } catch (e) { print("E: " + e + "\n"); }
try { show(J([-1].sort(@(a, b) null))); } catch (e) { print("E: " + e + "\n"); }
try { show(V(100) < V(7)); } catch (e) { print("E: " + e + "\n"); }
try { show(("0x1f".tolower()).tostring()); } catch (e) { print("E: " + e + "\n"); }
try { show(D()); } catch (e) { print("E: " + e + "\n"); }
try { show(T(4)); } catch (e) { print("E: " + e + "\n"); }
try { show("Hello".slice(1).find("3.5", 2)); } catch (e) { print("E: " + e + "\n"); }
try { show((("" + "a,b,,c")).tofloat()); } catch (e) { print("E: " + e + "\n"); }
try { show(J([2, 1, -1, 7, 100, -13, 255].sort(@(a, b) null))); } catch (e) { print("E: " + e + "\n"); }
try { show({ a = 1 }["abc"]); } catch (e) { print("E: " + e + "\n"); }
