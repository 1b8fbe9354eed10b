
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

try { show((((65535) << (8)) & 0xffffff) <=> ((((((-1 & 0xffff) ^ (2 & 0xffff))) >> (6)) & 0xffff) + (((-1 & 0xffff) + (0 & 0xffff)) & 0xffff))); } catch (e) { print("E: " + e + "\n"); }
try { show(G(0)); } catch (e) { print("E: " + e + "\n"); }
try { show("abc".toupper()); } catch (e) { print("E: " + e + "\n"); }
try { show(0 % (((2 & 0xffff) | (65535 & 0xffff)) | 1)); } catch (e) { print("E: " + e + "\n"); }
try { show(J([].sort(@(a, b) a > b))); } catch (e) { print("E: " + e + "\n"); }
try { show(T(0)); } catch (e) { print("E: " + e + "\n"); }
try { show(R(1403)); } catch (e) { print("E: " + e + "\n"); }
try { show("3.5" / "12"); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%d", "a")); } catch (e) { print("E: " + e + "\n"); }
try { show(W(2).twice()); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2, 3][0]); } catch (e) { print("E: " + e + "\n"); }
try { show("hello"[0]); } catch (e) { print("E: " + e + "\n"); }
try { show(("" + 2).tointeger()); } catch (e) { print("E: " + e + "\n"); }
try { show(D()); } catch (e) { print("E: " + e + "\n"); }
try { show(((-0.5 + 1e3)).tointeger()); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%", 0)); } catch (e) { print("E: " + e + "\n"); }
try { show([255].resize(-1).len()); } catch (e) { print("E: " + e + "\n"); }
try { show(G(1)); } catch (e) { print("E: " + e + "\n"); }
try { show(("a").tointeger()); } catch (e) { print("E: " + e + "\n"); }
try { show("12".find("abc", 7)); } catch (e) { print("E: " + e + "\n"); }
try { show(((65535 & 0xffff) ^ (((((-13 & 0xffff) ^ (7 & 0xffff)) & 0xffff) + (((1 & 0xffff) - (7 & 0xffff)) & 0xffff)) & 0xffff)) % (((((((((255) << (5)) & 0xffffff) & 0xffff) + (((-13 & 0xffff) | (2 & 0xffff)) & 0xffff))) << (4)) & 0xffffff) | 1)); } catch (e) { print("E: " + e + "\n"); }
try { show(G(0)); } catch (e) { print("E: " + e + "\n"); }
try { show((((((((100 & 0xffff) & (-13 & 0xffff)) & 0xffff) | (((255 & 0xffff) + (0 & 0xffff)) & 0xffff)) & 0xffff) - ((65535 / (1 == 0 ? 1 : 1)) & 0xffff))).tostring()); } catch (e) { print("E: " + e + "\n"); }
try { show(D(-1, -1)); } catch (e) { print("E: " + e + "\n"); }
try { show(J([2, 255, 2, 2, -1].sort(@(a, b) a <=> b))); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%5.2f")); } catch (e) { print("E: " + e + "\n"); }
try { show((-13).tointeger()); } catch (e) { print("E: " + e + "\n"); }
