
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

try { show(("12").tostring()); } catch (e) { print("E: " + e + "\n"); }
try { show([-13, 7, -1, 1].find(-1)); } catch (e) { print("E: " + e + "\n"); }
try { show(("a,b,,c" + 2).slice(-1)); } catch (e) { print("E: " + e + "\n"); }
try { show("Hello".toupper()[-1]); } catch (e) { print("E: " + e + "\n"); }
try { show([100, 7, 100].reduce(@(a, b) a + b)); } catch (e) { print("E: " + e + "\n"); }
try { show((((((-1 & 0xffff) - (2 & 0xffff)) / (((255) >> (5)) == 0 ? 1 : ((255) >> (5)))) & 0xffff) - (-13 & 0xffff)) % (((((2 & 0xffff) ^ (-1 & 0xffff)) & 0xffff) ^ (((1) >> (1)) & 0xffff)) | 1)); } catch (e) { print("E: " + e + "\n"); }
try { show(T(1)); } catch (e) { print("E: " + e + "\n"); }
try { show(1e1.5); } catch (e) { print("E: " + e + "\n"); }
try { show(((-2.25 - 1)).tofloat()); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = V(1); t["a"] = 7; return t["a"]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show([2, 1, 0].map(@(x) x * 2).len()); } catch (e) { print("E: " + e + "\n"); }
try { show(("" + "-7") - "12"); } catch (e) { print("E: " + e + "\n"); }
try { show([2, 2, 255].insert(1, 9).len()); } catch (e) { print("E: " + e + "\n"); }
try { show([100, 2, 255, 2, 0].find(0)); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = 5; delete t["zz"]; return "deleted"; })()); } catch (e) { print("E: " + e + "\n"); }
try { show(null * 7); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%d", "a")); } catch (e) { print("E: " + e + "\n"); }
