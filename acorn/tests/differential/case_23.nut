
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

try { show("12".slice(1) == [-1]); } catch (e) { print("E: " + e + "\n"); }
try { show(V(255) + V((255 % ((((((-13 & 0xffff) + (2 & 0xffff))) << (1)) & 0xffffff) == 0 ? 1 : (((((-13 & 0xffff) + (2 & 0xffff))) << (1)) & 0xffffff))))); } catch (e) { print("E: " + e + "\n"); }
try { show([0, 255, 1, -13, 0].reverse().len()); } catch (e) { print("E: " + e + "\n"); }
try { show(V((((7) << (8)) & 0xffffff)) < V((((1 & 0xffff) - (65535 & 0xffff)) % (65535 == 0 ? 1 : 65535)))); } catch (e) { print("E: " + e + "\n"); }
try { show(("3.5").len()); } catch (e) { print("E: " + e + "\n"); }
try { show(D(-1)); } catch (e) { print("E: " + e + "\n"); }
try { show(J([-13, 1].sort())); } catch (e) { print("E: " + e + "\n"); }
try { show(("Hello" + "12").tointeger()); } catch (e) { print("E: " + e + "\n"); }
try { show(G(5)); } catch (e) { print("E: " + e + "\n"); }
try { show([7, 255, -1, -13, 100].apply(@(x) x).len()); } catch (e) { print("E: " + e + "\n"); }
try { show([-1, 2, -13, 100, 100].top()); } catch (e) { print("E: " + e + "\n"); }
try { show(T(3)); } catch (e) { print("E: " + e + "\n"); }
try { show(J([0, 7, 255, -1, 100].sort(@(a, b) a > b))); } catch (e) { print("E: " + e + "\n"); }
try { show(J([].sort(@(a, b) true))); } catch (e) { print("E: " + e + "\n"); }
try { show(G(4)); } catch (e) { print("E: " + e + "\n"); }
try { show("hello"[7]); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2][""]); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2, 3][2]); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%%", 100)); } catch (e) { print("E: " + e + "\n"); }
