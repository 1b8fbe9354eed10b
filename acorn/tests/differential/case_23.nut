
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

try { show(0x1F); } catch (e) { print("E: " + e + "\n"); }
try { show(false / (100. - 0.0)); } catch (e) { print("E: " + e + "\n"); }
try { show([255, 0, 1, 1].filter(@(i, x) x > 0).len()); } catch (e) { print("E: " + e + "\n"); }
try { show(D(2)); } catch (e) { print("E: " + e + "\n"); }
try { show(T(2)); } catch (e) { print("E: " + e + "\n"); }
try { show({ a = 1 }[""]); } catch (e) { print("E: " + e + "\n"); }
try { show(T(2)); } catch (e) { print("E: " + e + "\n"); }
try { show(T(2)); } catch (e) { print("E: " + e + "\n"); }
try { show("hello"[7]); } catch (e) { print("E: " + e + "\n"); }
try { show(D(2, 1)); } catch (e) { print("E: " + e + "\n"); }
try { show(G(2)); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2, 3][7]); } catch (e) { print("E: " + e + "\n"); }
try { show(1 <=> true); } catch (e) { print("E: " + e + "\n"); }
try { show("_add" in V); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = null; t[null] <- 7; return t[null]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%x", 2)); } catch (e) { print("E: " + e + "\n"); }
try { show(G(2)); } catch (e) { print("E: " + e + "\n"); }
try { show(((255 & 0xffff) ^ (0 & 0xffff)) >= "-7".slice(1)); } catch (e) { print("E: " + e + "\n"); }
try { show(false <= false); } catch (e) { print("E: " + e + "\n"); }
