
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

try { show(false <=> false); } catch (e) { print("E: " + e + "\n"); }
try { show(T(2)); } catch (e) { print("E: " + e + "\n"); }
try { show(J([7, -1, 255, 0, -1, 100].sort(@(a, b) "x"))); } catch (e) { print("E: " + e + "\n"); }
try { show(T(3)); } catch (e) { print("E: " + e + "\n"); }
try { show(false >= "12".slice(-2)); } catch (e) { print("E: " + e + "\n"); }
try { show(J([7, -13, 100, 255, -1, 7].sort(@(a, b) b <=> a))); } catch (e) { print("E: " + e + "\n"); }
try { show(G(0)); } catch (e) { print("E: " + e + "\n"); }
try { show(T(3)); } catch (e) { print("E: " + e + "\n"); }
try { show((1.5 * 2) % (255 | 1)); } catch (e) { print("E: " + e + "\n"); }
try { show(T(0)); } catch (e) { print("E: " + e + "\n"); }
try { show([7].pop()); } catch (e) { print("E: " + e + "\n"); }
try { show(V(1).tostring()); } catch (e) { print("E: " + e + "\n"); }
try { show((-2.25 - 2) % (100 | 1)); } catch (e) { print("E: " + e + "\n"); }
try { show([-1].map(@(x) x * 2).len()); } catch (e) { print("E: " + e + "\n"); }
try { show((3.75 * -0.5) / 65535); } catch (e) { print("E: " + e + "\n"); }
try { show(G(5)); } catch (e) { print("E: " + e + "\n"); }
try { show("Hello".find("a,b,,c", -13)); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%s|%s")); } catch (e) { print("E: " + e + "\n"); }
try { show((1.5 * 2) % (((((((2 & 0xffff) ^ (2 & 0xffff)) & 0xffff) + (1 & 0xffff)) & 0xffff) - (255 & 0xffff)) | 1)); } catch (e) { print("E: " + e + "\n"); }
try { show((3.75 * 2) <=> 0); } catch (e) { print("E: " + e + "\n"); }
try { show("hello"[7]); } catch (e) { print("E: " + e + "\n"); }
try { show("12".toupper()); } catch (e) { print("E: " + e + "\n"); }
try { show((7).tointeger()); } catch (e) { print("E: " + e + "\n"); }
try { show(false != { a = 1, b = "x" }); } catch (e) { print("E: " + e + "\n"); }
try { show(G(5)); } catch (e) { print("E: " + e + "\n"); }
try { show(G(3)); } catch (e) { print("E: " + e + "\n"); }
try { show([100, -1, 255, 0, -13].slice(-1)); } catch (e) { print("E: " + e + "\n"); }
try { show(T(2)); } catch (e) { print("E: " + e + "\n"); }
