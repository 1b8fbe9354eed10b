
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

try { show((((((0 & 0xffff) + ((255 / (2 == 0 ? 1 : 2)) & 0xffff)) & 0xffff) + (((255 & 0xffff) | (-13 & 0xffff)) & 0xffff))).tostring()); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 0, 2, 2] + [1, 7, -1]); } catch (e) { print("E: " + e + "\n"); }
try { show(T(4)); } catch (e) { print("E: " + e + "\n"); }
try { show("".toupper()); } catch (e) { print("E: " + e + "\n"); }
try { show(typeof V(1)); } catch (e) { print("E: " + e + "\n"); }
try { show(R(1094)); } catch (e) { print("E: " + e + "\n"); }
try { show(T(1)); } catch (e) { print("E: " + e + "\n"); }
try { show(null >= "3.5".tolower()); } catch (e) { print("E: " + e + "\n"); }
try { show(false <= ((100) >> (6))); } catch (e) { print("E: " + e + "\n"); }
try { show("abc".tointeger()); } catch (e) { print("E: " + e + "\n"); }
try { show(D(1, -1)); } catch (e) { print("E: " + e + "\n"); }
try { show(D(-1, 0)); } catch (e) { print("E: " + e + "\n"); }
try { show([2].resize(-1).len()); } catch (e) { print("E: " + e + "\n"); }
try { show(255 - true); } catch (e) { print("E: " + e + "\n"); }
try { show(G(0)); } catch (e) { print("E: " + e + "\n"); }
try { show({ a = 1 }["abc"]); } catch (e) { print("E: " + e + "\n"); }
try { show(V((((0 / (((255) << (6)) == 0 ? 1 : ((255) << (6)))) & 0xffff) ^ (((((-13 & 0xffff) & (-13 & 0xffff)) & 0xffff) & (255 & 0xffff)) & 0xffff))) <=> 2); } catch (e) { print("E: " + e + "\n"); }
try { show(T(4)); } catch (e) { print("E: " + e + "\n"); }
try { show(T(2)); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%-4d|", "")); } catch (e) { print("E: " + e + "\n"); }
try { show(J([1, -1, 100, 2, -13, -13, -13].sort(@(a, b) null))); } catch (e) { print("E: " + e + "\n"); }
try { show("a,b,,c".slice(-2)[-13]); } catch (e) { print("E: " + e + "\n"); }
try { show(null <= "a"); } catch (e) { print("E: " + e + "\n"); }
try { show(T(1)); } catch (e) { print("E: " + e + "\n"); }
try { show(V(1).tostring()); } catch (e) { print("E: " + e + "\n"); }
