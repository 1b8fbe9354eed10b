// What getinfos tells of variable argument lists, the wording of a missing
// argument when more may follow, and the results of io calls at the edges.
function show_parameters(f) {
    local text = "";
    foreach (p in f.getinfos().parameters) text += "[" + p + "]";
    print(text + " varargs " + f.getinfos().varargs + "\n");
}
show_parameters(function(a, ...) {});
show_parameters(function(...) {});
show_parameters(function(a, b = 3) {});
local two_then_more = function(a, b, ...) { return vargv.len(); };
try { two_then_more(1); } catch (e) { print(e + "\n"); }
try { two_then_more.acall([null]); } catch (e) { print(e + "\n"); }
print(two_then_more(1, 2, 3, 4) + "\n");

local name = "_tmp_96.bin";
local out = file(name, "w");
out.writen(7, 'b');
out.close();
local back = file(name, "r");
try { back.readblob(0); } catch (e) { print("readblob(0): " + e + "\n"); }
print("readblob(10): " + back.readblob(10).len() + "\n");
try { back.readblob(1); } catch (e) { print("readblob at end: " + e + "\n"); }
back.close();
try { file(name); } catch (e) { print("file without a mode: " + e + "\n"); }
local seven = function() { return 7; };
print("writeclosuretofile answers its closure: " + (writeclosuretofile(name, seven) == seven) + "\n");
print("and it runs: " + dofile(name) + "\n");
remove(name);
// Called with nothing, not even `this`.
foreach (call in [@() (@() 1).call(), @() (function(...) {}).pcall(), @() (@() 1).acall([]), @() print.call()]) {
    try { call(); } catch (e) { print(e + "\n"); }
}
