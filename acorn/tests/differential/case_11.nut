
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

try { show(G(3)); } catch (e) { print("E: " + e + "\n"); }
try { show(V((((((65535 & 0xffff) - (((-1 & 0xffff) & (7 & 0xffff)) & 0xffff))) << (7)) & 0xffffff)) + V(((2 & 0xffff) + ((((255 / (100 == 0 ? 1 : 100)) & 0xffff) ^ ((7 / (2 == 0 ? 1 : 2)) & 0xffff)) & 0xffff)))); } catch (e) { print("E: " + e + "\n"); }
try { show(T(2)); } catch (e) { print("E: " + e + "\n"); }
try { show((true).tointeger()); } catch (e) { print("E: " + e + "\n"); }
try { show("hello"[-1]); } catch (e) { print("E: " + e + "\n"); }
try { show(R(1406)); } catch (e) { print("E: " + e + "\n"); }
try { show(typeof V(1)); } catch (e) { print("E: " + e + "\n"); }
try { show([100, 2, 2, 100, 2].insert(1, 9).len()); } catch (e) { print("E: " + e + "\n"); }
try { show(J([7].sort())); } catch (e) { print("E: " + e + "\n"); }
try { show("a".slice(1).tointeger()); } catch (e) { print("E: " + e + "\n"); }
try { show(D(2)); } catch (e) { print("E: " + e + "\n"); }
try { show(("-7").tostring()); } catch (e) { print("E: " + e + "\n"); }
try { show("hello"[1]); } catch (e) { print("E: " + e + "\n"); }
try { show(D(2, 0)); } catch (e) { print("E: " + e + "\n"); }
try { show(("a,b,,c").tofloat()); } catch (e) { print("E: " + e + "\n"); }
try { show(R(76)); } catch (e) { print("E: " + e + "\n"); }
try { show(J([255, 0, 2, 1].sort(@(a, b) "x"))); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%d")); } catch (e) { print("E: " + e + "\n"); }
try { show(G(2)); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2]["abc"]); } catch (e) { print("E: " + e + "\n"); }
try { show(V(2) < V(((7 & 0xffff) + (0 & 0xffff)))); } catch (e) { print("E: " + e + "\n"); }
try { show(V(1).tostring()); } catch (e) { print("E: " + e + "\n"); }
try { show(T(2)); } catch (e) { print("E: " + e + "\n"); }
try { show(("  pad  ").len()); } catch (e) { print("E: " + e + "\n"); }
