
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

try { show("0x1f".tointeger(8)); } catch (e) { print("E: " + e + "\n"); }
try { show(("Hello" + 0).toupper()); } catch (e) { print("E: " + e + "\n"); }
try { show("ff".tointeger(0)); } catch (e) { print("E: " + e + "\n"); }
try { show(G(1)); } catch (e) { print("E: " + e + "\n"); }
try { show("_add" in V); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = { a = 1 }; t[1] = 7; return t[1]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show(G(5)); } catch (e) { print("E: " + e + "\n"); }
try { show('a'); } catch (e) { print("E: " + e + "\n"); }
try { show([-1, -1, 0].resize(0).len()); } catch (e) { print("E: " + e + "\n"); }
try { show(D()); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = null; delete t[0]; return "deleted"; })()); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = { a = 1 }; t[null] <- 7; return t[null]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show((-1).tointeger()); } catch (e) { print("E: " + e + "\n"); }
try { show("0x1f".slice(1, 1)); } catch (e) { print("E: " + e + "\n"); }
try { show(D(-1, 2)); } catch (e) { print("E: " + e + "\n"); }
try { show([255, -13, 255].find(-13)); } catch (e) { print("E: " + e + "\n"); }
try { show(D()); } catch (e) { print("E: " + e + "\n"); }
try { show(V(0) <=> (((255) << (2)) & 0xffffff)); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2]["a"]); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2, 100, 7, 2].top()); } catch (e) { print("E: " + e + "\n"); }
try { show(G(4)); } catch (e) { print("E: " + e + "\n"); }
try { show(D(1)); } catch (e) { print("E: " + e + "\n"); }
