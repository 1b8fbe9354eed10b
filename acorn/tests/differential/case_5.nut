
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
try { show("ff".tointeger(-1)); } catch (e) { print("E: " + e + "\n"); }
try { show(J([1, 7, -13, 7].sort())); } catch (e) { print("E: " + e + "\n"); }
try { show(J([100, -13, 255, -1, -1, 100].sort(@(a, b) b <=> a))); } catch (e) { print("E: " + e + "\n"); }
try { show(T(3)); } catch (e) { print("E: " + e + "\n"); }
try { show([1].map(@(x) x * 2).len()); } catch (e) { print("E: " + e + "\n"); }
try { show('a'); } catch (e) { print("E: " + e + "\n"); }
try { show(G(1)); } catch (e) { print("E: " + e + "\n"); }
try { show(J([100, 2, 255, 7, 255, 100].sort(@(a, b) "x"))); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%5.2f", 100, 100)); } catch (e) { print("E: " + e + "\n"); }
try { show(V(((255 & 0xffff) | (255 & 0xffff))) < V(-1)); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%")); } catch (e) { print("E: " + e + "\n"); }
try { show((-2.25 - 2) >= false); } catch (e) { print("E: " + e + "\n"); }
try { show((100 % (255 == 0 ? 1 : 255)) <=> 1); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = [1, 2]; delete t[null]; return "deleted"; })()); } catch (e) { print("E: " + e + "\n"); }
try { show("12".tofloat()); } catch (e) { print("E: " + e + "\n"); }
try { show(J([-13, -13, 100, 100].sort(@(a, b) a > b))); } catch (e) { print("E: " + e + "\n"); }
try { show("  pad  ".find("  pad  ", 7)); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%s|%s")); } catch (e) { print("E: " + e + "\n"); }
try { show(255 % ((((100) << (6)) & 0xffffff) | 1)); } catch (e) { print("E: " + e + "\n"); }
try { show("1e2".tointeger(2)); } catch (e) { print("E: " + e + "\n"); }
try { show(G(2)); } catch (e) { print("E: " + e + "\n"); }
try { show((0.1 + -0.5) == "  pad  ".toupper()); } catch (e) { print("E: " + e + "\n"); }
try { show(D(2, 2)); } catch (e) { print("E: " + e + "\n"); }
try { show(null < true); } catch (e) { print("E: " + e + "\n"); }
