
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

try { show(T(2)); } catch (e) { print("E: " + e + "\n"); }
try { show((null).tostring()); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = V; t[1.5] = 7; return t[1.5]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show([2, 100, 1, 7, 2].apply(@(x) x).len()); } catch (e) { print("E: " + e + "\n"); }
try { show(0x); } catch (e) { print("E: " + e + "\n"); }
try { show(1.5.5); } catch (e) { print("E: " + e + "\n"); }
try { show(((((0 & 0xffff) | (2 & 0xffff)) & 0xffff) & (1 & 0xffff)) / null); } catch (e) { print("E: " + e + "\n"); }
try { show(0x); } catch (e) { print("E: " + e + "\n"); }
try { show(G(0)); } catch (e) { print("E: " + e + "\n"); }
try { show(T(3)); } catch (e) { print("E: " + e + "\n"); }
try { show(G(1)); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%s|%s", 7)); } catch (e) { print("E: " + e + "\n"); }
try { show("hello"[-13]); } catch (e) { print("E: " + e + "\n"); }
try { show(T(0)); } catch (e) { print("E: " + e + "\n"); }
try { show([-13, 7] - 100); } catch (e) { print("E: " + e + "\n"); }
try { show(09); } catch (e) { print("E: " + e + "\n"); }
try { show("3.5".find("  pad  ")); } catch (e) { print("E: " + e + "\n"); }
try { show("".tointeger(37)); } catch (e) { print("E: " + e + "\n"); }
try { show([2, 0, 100].find(7)); } catch (e) { print("E: " + e + "\n"); }
try { show([7, -13, 1].len()); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%d %d", "abc")); } catch (e) { print("E: " + e + "\n"); }
try { show(J([100].sort(@(a, b) a > b))); } catch (e) { print("E: " + e + "\n"); }
try { show({ a = 1 }["a"]); } catch (e) { print("E: " + e + "\n"); }
try { show("".tointeger(2)); } catch (e) { print("E: " + e + "\n"); }
