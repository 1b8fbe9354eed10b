
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

try { show([1, 2, 3][1]); } catch (e) { print("E: " + e + "\n"); }
try { show(("0x1f" + 0).tofloat()); } catch (e) { print("E: " + e + "\n"); }
try { show(D(0, 1)); } catch (e) { print("E: " + e + "\n"); }
try { show([255, 100, -13, 2].resize(7).len()); } catch (e) { print("E: " + e + "\n"); }
try { show(((((((-13) >> (3)) & 0xffff) | (7 & 0xffff)) & 0xffff) + (((100 & 0xffff) + ((1 / (65535 == 0 ? 1 : 65535)) & 0xffff)) & 0xffff)) >= ((1 & 0xffff) - (((((7) << (8)) & 0xffffff) / (((0 & 0xffff) + (-1 & 0xffff)) == 0 ? 1 : ((0 & 0xffff) + (-1 & 0xffff)))) & 0xffff))); } catch (e) { print("E: " + e + "\n"); }
try { show(R(598)); } catch (e) { print("E: " + e + "\n"); }
try { show(("a" + "a").len()); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = null; t["zz"] <- 7; return t["zz"]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show(G(5)); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%d")); } catch (e) { print("E: " + e + "\n"); }
try { show(((-1 & 0xffff) | ((((((-13 & 0xffff) - (65535 & 0xffff))) << (1)) & 0xffffff) & 0xffff)) <= false); } catch (e) { print("E: " + e + "\n"); }
try { show(null >= true); } catch (e) { print("E: " + e + "\n"); }
try { show(0x); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = [1, 2]; delete t[null]; return "deleted"; })()); } catch (e) { print("E: " + e + "\n"); }
try { show(("").tointeger()); } catch (e) { print("E: " + e + "\n"); }
try { show(V(((((((1 & 0xffff) | (7 & 0xffff)) & 0xffff) ^ (((255 & 0xffff) - (-1 & 0xffff)) & 0xffff)) & 0xffff) | (2 & 0xffff))) < V(((2 & 0xffff) & (((((-13) >> (8)) & 0xffff) - (2 & 0xffff)) & 0xffff)))); } catch (e) { print("E: " + e + "\n"); }
