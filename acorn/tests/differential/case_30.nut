
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

try { show((("a,b,,c" + "a,b,,c")).tofloat()); } catch (e) { print("E: " + e + "\n"); }
try { show(G(0)); } catch (e) { print("E: " + e + "\n"); }
try { show("Hello"[1]); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2]["a"]); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2, 3][-1]); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2]["a"]); } catch (e) { print("E: " + e + "\n"); }
try { show((null).tostring()); } catch (e) { print("E: " + e + "\n"); }
try { show(R(1685)); } catch (e) { print("E: " + e + "\n"); }
try { show(T(2)); } catch (e) { print("E: " + e + "\n"); }
try { show((((((100 & 0xffff) + (((-13) >> (7)) & 0xffff)) & 0xffff) - (100 & 0xffff))).tostring()); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%s|%s")); } catch (e) { print("E: " + e + "\n"); }
try { show("-7".tolower().find("-7", 7)); } catch (e) { print("E: " + e + "\n"); }
try { show(T(1)); } catch (e) { print("E: " + e + "\n"); }
try { show([-1, -1, 255, 1, 2].reverse().len()); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%x", 0)); } catch (e) { print("E: " + e + "\n"); }
try { show(R(1676)); } catch (e) { print("E: " + e + "\n"); }
try { show((((7 & 0xffff) + (((((65535 & 0xffff) | (1 & 0xffff)) & 0xffff) | (255 & 0xffff)) & 0xffff))).tointeger()); } catch (e) { print("E: " + e + "\n"); }
try { show(-1 + ""); } catch (e) { print("E: " + e + "\n"); }
try { show(D(-1)); } catch (e) { print("E: " + e + "\n"); }
try { show({ a = 1 }["abc"]); } catch (e) { print("E: " + e + "\n"); }
try { show((null).tointeger()); } catch (e) { print("E: " + e + "\n"); }
try { show(V(65535) < V(255)); } catch (e) { print("E: " + e + "\n"); }
try { show(true / null); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2, 3][1]); } catch (e) { print("E: " + e + "\n"); }
try { show(null < null); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2, 3][0]); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%%", "abc", 100)); } catch (e) { print("E: " + e + "\n"); }
