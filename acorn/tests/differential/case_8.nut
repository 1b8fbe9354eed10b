
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

try { show(J([2, 0].sort(@(a, b) "x"))); } catch (e) { print("E: " + e + "\n"); }
try { show({ a = 1, b = "x" } == true); } catch (e) { print("E: " + e + "\n"); }
try { show(V(1) < V((-13 / (((2 / (-13 == 0 ? 1 : -13)) / (1 == 0 ? 1 : 1)) == 0 ? 1 : ((2 / (-13 == 0 ? 1 : -13)) / (1 == 0 ? 1 : 1)))))); } catch (e) { print("E: " + e + "\n"); }
try { show(("" + -1).tofloat()); } catch (e) { print("E: " + e + "\n"); }
try { show(09); } catch (e) { print("E: " + e + "\n"); }
try { show("12".find("12")); } catch (e) { print("E: " + e + "\n"); }
try { show(((65535 & 0xffff) - ((((1) << (6)) & 0xffffff) & 0xffff)) % (((-13 & 0xffff) | (255 & 0xffff)) | 1)); } catch (e) { print("E: " + e + "\n"); }
try { show({ a = 1, b = "x" } + { a = 1, b = "x" }); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = "str"; t[1] <- 7; return t[1]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show(W(100).twice()); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = { a = 1 }.weakref(); t[1] = 7; return t[1]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show(T(4)); } catch (e) { print("E: " + e + "\n"); }
try { show("017".tointeger(16)); } catch (e) { print("E: " + e + "\n"); }
try { show(typeof W(2)); } catch (e) { print("E: " + e + "\n"); }
try { show(G(2)); } catch (e) { print("E: " + e + "\n"); }
try { show(J([].sort(@(a, b) "x"))); } catch (e) { print("E: " + e + "\n"); }
try { show(T(1)); } catch (e) { print("E: " + e + "\n"); }
