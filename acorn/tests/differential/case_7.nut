
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

try { show("12".slice(-1)); } catch (e) { print("E: " + e + "\n"); }
try { show(65535 % (((((2 & 0xffff) | (((0 & 0xffff) + (100 & 0xffff)) & 0xffff)) & 0xffff) ^ (-1 & 0xffff)) | 1)); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%5.2f", 1, 100)); } catch (e) { print("E: " + e + "\n"); }
try { show(G(5)); } catch (e) { print("E: " + e + "\n"); }
try { show("a".len()); } catch (e) { print("E: " + e + "\n"); }
try { show(T(1)); } catch (e) { print("E: " + e + "\n"); }
try { show(V(7) < V(((((((100 & 0xffff) + (-13 & 0xffff)) & 0xffff) & (((1 & 0xffff) ^ (2 & 0xffff)) & 0xffff)) & 0xffff) ^ (((255) >> (8)) & 0xffff)))); } catch (e) { print("E: " + e + "\n"); }
try { show(J([2].sort())); } catch (e) { print("E: " + e + "\n"); }
try { show(T(3)); } catch (e) { print("E: " + e + "\n"); }
try { show("a,b,,c".toupper()); } catch (e) { print("E: " + e + "\n"); }
try { show(W(((((-1 & 0xffff) + (-1 & 0xffff)) & 0xffff) & (255 & 0xffff))) - 1); } catch (e) { print("E: " + e + "\n"); }
try { show("1e2".tointeger(16)); } catch (e) { print("E: " + e + "\n"); }
try { show("-7".find("", -13)); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%x")); } catch (e) { print("E: " + e + "\n"); }
try { show(null * (1e3 - 0)); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%5.2f")); } catch (e) { print("E: " + e + "\n"); }
try { show(1e3); } catch (e) { print("E: " + e + "\n"); }
try { show(J([-1, -1, 0, 255, -1, 0].sort(@(a, b) true))); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = "str"; t[1] = 7; return t[1]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show(R(1397)); } catch (e) { print("E: " + e + "\n"); }
