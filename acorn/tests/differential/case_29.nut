
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
try { show((function() { local t = null; t["a"] = 7; return t["a"]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = [1, 2]; delete t["a"]; return "deleted"; })()); } catch (e) { print("E: " + e + "\n"); }
try { show(017); } catch (e) { print("E: " + e + "\n"); }
try { show((true).tostring()); } catch (e) { print("E: " + e + "\n"); }
try { show(J([0, 255, 2, 2, 255, -1, -13].sort(@(a, b) a > b))); } catch (e) { print("E: " + e + "\n"); }
try { show(("abc" + 0).slice(-13, 2)); } catch (e) { print("E: " + e + "\n"); }
try { show(1 % (-1 | 1)); } catch (e) { print("E: " + e + "\n"); }
try { show(D()); } catch (e) { print("E: " + e + "\n"); }
try { show(((((((65535 % (100 == 0 ? 1 : 100)) & 0xffff) & (1 & 0xffff))) << (5)) & 0xffffff) % (((1 & 0xffff) + ((((100 & 0xffff) ^ (-13 & 0xffff)) / (((65535 & 0xffff) & (65535 & 0xffff)) == 0 ? 1 : ((65535 & 0xffff) & (65535 & 0xffff)))) & 0xffff)) | 1)); } catch (e) { print("E: " + e + "\n"); }
try { show(W(((2 & 0xffff) ^ (((-1 & 0xffff) - (65535 & 0xffff)) & 0xffff))) - 1); } catch (e) { print("E: " + e + "\n"); }
try { show(D(1, 2)); } catch (e) { print("E: " + e + "\n"); }
try { show(0x1F); } catch (e) { print("E: " + e + "\n"); }
try { show({ a = 1 }[""]); } catch (e) { print("E: " + e + "\n"); }
try { show(null / null); } catch (e) { print("E: " + e + "\n"); }
try { show(D()); } catch (e) { print("E: " + e + "\n"); }
try { show(("abc" + "0x1f")[1]); } catch (e) { print("E: " + e + "\n"); }
try { show((true).tostring()); } catch (e) { print("E: " + e + "\n"); }
try { show("  pad  "[1]); } catch (e) { print("E: " + e + "\n"); }
try { show(D()); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%c")); } catch (e) { print("E: " + e + "\n"); }
try { show("a,b,,c".toupper()); } catch (e) { print("E: " + e + "\n"); }
