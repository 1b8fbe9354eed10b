
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

try { show(null + ((-1) << (1))); } catch (e) { print("E: " + e + "\n"); }
try { show([-13, 0, 100, -1, -13].top()); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2][""]); } catch (e) { print("E: " + e + "\n"); }
try { show([100, 0, 0].slice(1)); } catch (e) { print("E: " + e + "\n"); }
try { show([255, 100].top()); } catch (e) { print("E: " + e + "\n"); }
try { show([2, 0, 0].pop()); } catch (e) { print("E: " + e + "\n"); }
try { show("12".slice(0)); } catch (e) { print("E: " + e + "\n"); }
try { show(J([255, 2, 7, -1, -1, 1].sort(@(a, b) "x"))); } catch (e) { print("E: " + e + "\n"); }
try { show((null).tofloat()); } catch (e) { print("E: " + e + "\n"); }
try { show(G(3)); } catch (e) { print("E: " + e + "\n"); }
try { show(typeof V(1)); } catch (e) { print("E: " + e + "\n"); }
try { show(T(1)); } catch (e) { print("E: " + e + "\n"); }
try { show([7].apply(@(x) x).len()); } catch (e) { print("E: " + e + "\n"); }
try { show(false <= true); } catch (e) { print("E: " + e + "\n"); }
try { show(J([2, 1, 100, -1, 0, -1].sort(@(a, b) true))); } catch (e) { print("E: " + e + "\n"); }
try { show({ a = 1 }["abc"]); } catch (e) { print("E: " + e + "\n"); }
try { show(G(3)); } catch (e) { print("E: " + e + "\n"); }
try { show(((-1 & 0xffff) & (-13 & 0xffff)) * { a = 1, b = "x" }); } catch (e) { print("E: " + e + "\n"); }
try { show({ a = 1, b = "x" } / 2); } catch (e) { print("E: " + e + "\n"); }
try { show(W(65535) - 1); } catch (e) { print("E: " + e + "\n"); }
try { show(T(3)); } catch (e) { print("E: " + e + "\n"); }
try { show(G(0)); } catch (e) { print("E: " + e + "\n"); }
try { show(("" + 2).tofloat()); } catch (e) { print("E: " + e + "\n"); }
try { show(D(2, 0)); } catch (e) { print("E: " + e + "\n"); }
try { show(null / false); } catch (e) { print("E: " + e + "\n"); }
try { show("".slice(-2).find("  pad  ", -13)); } catch (e) { print("E: " + e + "\n"); }
try { show("a" <=> false); } catch (e) { print("E: " + e + "\n"); }
try { show(G(0)); } catch (e) { print("E: " + e + "\n"); }
