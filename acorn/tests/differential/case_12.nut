
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

try { show((((((0 & 0xffff) + ((255 / (2 == 0 ? 1 : 2)) & 0xffff)) & 0xffff) + (((255 & 0xffff) | (-13 & 0xffff)) & 0xffff))).tostring()); } catch (e) { print("E: " + e + "\n"); }
try { show(0x); } catch (e) { print("E: " + e + "\n"); }
try { show("017".tointeger(1)); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%")); } catch (e) { print("E: " + e + "\n"); }
try { show("hello"[1]); } catch (e) { print("E: " + e + "\n"); }
try { show(R(820)); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2]["abc"]); } catch (e) { print("E: " + e + "\n"); }
try { show(G(0)); } catch (e) { print("E: " + e + "\n"); }
try { show({ a = 1 }[""]); } catch (e) { print("E: " + e + "\n"); }
try { show(J([7, 1, 7, 2, -13, -13].sort(@(a, b) null))); } catch (e) { print("E: " + e + "\n"); }
try { show(J([].sort(@(a, b) b <=> a))); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%%")); } catch (e) { print("E: " + e + "\n"); }
try { show(G(0)); } catch (e) { print("E: " + e + "\n"); }
try { show([100, 0, 100, 2, 1].len()); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%c", "")); } catch (e) { print("E: " + e + "\n"); }
try { show(T(0)); } catch (e) { print("E: " + e + "\n"); }
try { show(G(3)); } catch (e) { print("E: " + e + "\n"); }
try { show(J([7, 255, 255, 255, 2].sort(@(a, b) a > b))); } catch (e) { print("E: " + e + "\n"); }
try { show("0x1f".slice(1, 7)); } catch (e) { print("E: " + e + "\n"); }
try { show(0.5e-1); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = V(1); t[1] = 7; return t[1]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show(G(0)); } catch (e) { print("E: " + e + "\n"); }
try { show([1, -13, -1, 0].resize(7).len()); } catch (e) { print("E: " + e + "\n"); }
try { show(V(((255 & 0xffff) ^ (((7 & 0xffff) | ((-13 % (65535 == 0 ? 1 : 65535)) & 0xffff)) & 0xffff))) + V(((0 & 0xffff) + (((7 & 0xffff) ^ ((100 / (0 == 0 ? 1 : 0)) & 0xffff)) & 0xffff)))); } catch (e) { print("E: " + e + "\n"); }
try { show(G(2)); } catch (e) { print("E: " + e + "\n"); }
