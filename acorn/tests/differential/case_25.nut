
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

try { show([0, -1, 0] * "3.5".toupper()); } catch (e) { print("E: " + e + "\n"); }
try { show(T(1)); } catch (e) { print("E: " + e + "\n"); }
try { show(G(4)); } catch (e) { print("E: " + e + "\n"); }
try { show(J([255, 1, 1, -13, 100].sort(@(a, b) b <=> a))); } catch (e) { print("E: " + e + "\n"); }
try { show(J([255, 1].sort(@(a, b) a > b))); } catch (e) { print("E: " + e + "\n"); }
try { show((0.0 * -2.25) >= null); } catch (e) { print("E: " + e + "\n"); }
try { show("Hello"[7]); } catch (e) { print("E: " + e + "\n"); }
try { show(typeof V(1)); } catch (e) { print("E: " + e + "\n"); }
try { show(typeof W(2)); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2, 3][2]); } catch (e) { print("E: " + e + "\n"); }
try { show({ a = 1 }["abc"]); } catch (e) { print("E: " + e + "\n"); }
try { show(T(1)); } catch (e) { print("E: " + e + "\n"); }
try { show({ a = 1 }["a"]); } catch (e) { print("E: " + e + "\n"); }
try { show(J([100].sort())); } catch (e) { print("E: " + e + "\n"); }
try { show(typeof W(2)); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%d %d")); } catch (e) { print("E: " + e + "\n"); }
try { show(G(0)); } catch (e) { print("E: " + e + "\n"); }
try { show(T(0)); } catch (e) { print("E: " + e + "\n"); }
try { show("Hello".slice(-13, 0)); } catch (e) { print("E: " + e + "\n"); }
try { show("  pad  ".find("-7")); } catch (e) { print("E: " + e + "\n"); }
try { show("hello"[7]); } catch (e) { print("E: " + e + "\n"); }
try { show(J([100, 0].sort())); } catch (e) { print("E: " + e + "\n"); }
