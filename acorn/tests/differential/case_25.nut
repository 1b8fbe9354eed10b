
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

try { show((function() { local t = [1, 2]; t[1] <- 7; return t[1]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show(-1 * null); } catch (e) { print("E: " + e + "\n"); }
try { show(format("%s|%s", 1, 7)); } catch (e) { print("E: " + e + "\n"); }
try { show(G(4)); } catch (e) { print("E: " + e + "\n"); }
try { show(J([255, 1, 1, -13, 100].sort(@(a, b) b <=> a))); } catch (e) { print("E: " + e + "\n"); }
try { show(J([255, 1].sort(@(a, b) a > b))); } catch (e) { print("E: " + e + "\n"); }
try { show((0.0 * -2.25) >= null); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = "str"; t[1] = 7; return t[1]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = V(1); t[1] = 7; return t[1]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show('a'); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = { a = 1 }.weakref(); t["a"] <- 7; return t["a"]; })()); } catch (e) { print("E: " + e + "\n"); }
try { show(typeof V(1)); } catch (e) { print("E: " + e + "\n"); }
try { show(0.5e-1); } catch (e) { print("E: " + e + "\n"); }
try { show("  pad  ".tolower().find("a", 1)); } catch (e) { print("E: " + e + "\n"); }
try { show(017); } catch (e) { print("E: " + e + "\n"); }
try { show({ a = 1 }["abc"]); } catch (e) { print("E: " + e + "\n"); }
try { show(2E-1); } catch (e) { print("E: " + e + "\n"); }
try { show("12".tointeger(1)); } catch (e) { print("E: " + e + "\n"); }
try { show("".tointeger(1)); } catch (e) { print("E: " + e + "\n"); }
try { show("12" <= 65535); } catch (e) { print("E: " + e + "\n"); }
try { show("a".find("0x1f", 0)); } catch (e) { print("E: " + e + "\n"); }
try { show((function() { local t = "str"; delete t["a"]; return "deleted"; })()); } catch (e) { print("E: " + e + "\n"); }
