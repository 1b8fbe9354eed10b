
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

try { show(format("%c", 100)); } catch (e) { print("E: " + e + "\n"); }
try { show("-7"[-1]); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = V(1); delete t[true]; return "deleted"; })()); } catch (e) { print("E: " + e + "\n"); }
try { show(G(0)); } catch (e) { print("E: " + e + "\n"); }
try { show(("Hello" + 1).find("-7")); } catch (e) { print("E: " + e + "\n"); }
try { show((((((-1 / (100 == 0 ? 1 : 100)) % (((-13 & 0xffff) + (-13 & 0xffff)) == 0 ? 1 : ((-13 & 0xffff) + (-13 & 0xffff))))) >> (3))).tofloat()); } catch (e) { print("E: " + e + "\n"); }
try { show("a,b,,c" <= "Hello"); } catch (e) { print("E: " + e + "\n"); }
try { show(T(1)); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = null; t[0] <- 7; return t[0]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show("1e2".tointeger(8)); } catch (e) { print("E: " + e + "\n"); }
try { show(G(3)); } catch (e) { print("E: " + e + "\n"); }
try { show(G(5)); } catch (e) { print("E: " + e + "\n"); }
try { show(V(255) + V((-13 % (((((65535 & 0xffff) & (-13 & 0xffff))) >> (5)) == 0 ? 1 : ((((65535 & 0xffff) & (-13 & 0xffff))) >> (5)))))); } catch (e) { print("E: " + e + "\n"); }
try { show([7, 7, -13, -13].resize(0).len()); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = V(1); t[0] = 7; return t[0]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show("-101".tointeger(16)); } catch (e) { print("E: " + e + "\n"); }
try { show(J([-1, 2, 255, 7, 255].sort(@(a, b) a <=> b))); } catch (e) { print("E: " + e + "\n"); }
try { show(((2) >> (8)) == [1, 1, 7, 7]); } catch (e) { print("E: " + e + "\n"); }
try { show(5.e1); } catch (e) { print("E: " + e + "\n"); }
try { show(typeof V(1)); } catch (e) { print("E: " + e + "\n"); }
try { show("".slice(-1, 7)); } catch (e) { print("E: " + e + "\n"); }
try { show(G(2)); } catch (e) { print("E: " + e + "\n"); }
try { show([1, 2, 3][2]); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = [1, 2]; t[true] <- 7; return t[true]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show(0x1F); } catch (e) { print("E: " + e + "\n"); }
try { show(D()); } catch (e) { print("E: " + e + "\n"); }
