
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

try { show(V(((1 & 0xffff) & ((((0 & 0xffff) + (-13 & 0xffff)) / (((255 & 0xffff) | (-13 & 0xffff)) == 0 ? 1 : ((255 & 0xffff) | (-13 & 0xffff)))) & 0xffff))) < V(100)); } catch (e) { print("E: " + e + "\n"); }
try { show(J([].sort(@(a, b) null))); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%-4d|", 1, 100)); } catch (e) { print("E: " + e + "\n"); }
try { show(((1e3 * 0.0)).tofloat()); } catch (e) { print("E: " + e + "\n"); }
try { show("zz".tointeger(1)); } catch (e) { print("E: " + e + "\n"); }
try { show(J([1, 1].sort())); } catch (e) { print("E: " + e + "\n"); }
try { show((255).len()); } catch (e) { print("E: " + e + "\n"); }
try { show("a,b,,c".tointeger()); } catch (e) { print("E: " + e + "\n"); }
try { show(T(0)); } catch (e) { print("E: " + e + "\n"); }
try { show(09); } catch (e) { print("E: " + e + "\n"); }
try { show(true <=> ("-7" + "-7")); } catch (e) { print("E: " + e + "\n"); }
try { show(T(4)); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = { a = 1 }.weakref(); t["a"] <- 7; return t["a"]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show([2, -1, 0].remove(7)); } catch (e) { print("E: " + e + "\n"); }
try { show(typeof V(1)); } catch (e) { print("E: " + e + "\n"); }
try { show(V(((-1 & 0xffff) - (1 & 0xffff))) < V(((((((65535 & 0xffff) & (0 & 0xffff)) & 0xffff) + (255 & 0xffff)) & 0xffff) - (255 & 0xffff)))); } catch (e) { print("E: " + e + "\n"); }
try { show("ff".tointeger(16)); } catch (e) { print("E: " + e + "\n"); }
try { show(V((((255) >> (5)) % (255 == 0 ? 1 : 255))) <=> (((((65535 & 0xffff) ^ (1 & 0xffff)) & 0xffff) | (((100 & 0xffff) | (7 & 0xffff)) & 0xffff)) % (65535 == 0 ? 1 : 65535))); } catch (e) { print("E: " + e + "\n"); }
try { show([].filter(@(i, x) x > 0).len()); } catch (e) { print("E: " + e + "\n"); }
try { show(((-0.5 - 0.1)).tointeger()); } catch (e) { print("E: " + e + "\n"); }
try { show(T(0)); } catch (e) { print("E: " + e + "\n"); }
try { show("_add" in V); } catch (e) { print("E: " + e + "\n"); }
try { show(T(4)); } catch (e) { print("E: " + e + "\n"); }
try { show(T(3)); } catch (e) { print("E: " + e + "\n"); }
try { show(0.5e-1); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = "str"; t[null] <- 7; return t[null]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show(09); } catch (e) { print("E: " + e + "\n"); }
try { show([-13].len()); } catch (e) { print("E: " + e + "\n"); }
try { show(J([100, 1, 255, 0, -1].sort(@(a, b) b <=> a))); } catch (e) { print("E: " + e + "\n"); }
try { show(V(((100 & 0xffff) | (((65535 & 0xffff) - (-13 & 0xffff)) & 0xffff))) + V(-1)); } catch (e) { print("E: " + e + "\n"); }
