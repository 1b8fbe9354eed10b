// The errors of setting, adding and deleting slots on every kind of value.
function attempt(name, f) {
    try { local r = f(); print(name + ": " + r + "\n"); }
    catch (e) { print(name + ": " + e + "\n"); }
}
class Plain { x = 1; }
class Hooked {
    added = null;
    function _newslot(k, v) { added = k + "=" + v; }
    function _delslot(k) { added = "deleted " + k; }
}
attempt("array set string", function() { local a = [1]; a["k"] = 2; });
attempt("array set null", function() { local a = [1]; a[null] = 2; });
attempt("array set bool", function() { local a = [1]; a[true] = 2; });
attempt("array set float", function() { local a = [1, 2]; a[1.5] = 9; return a[1]; });
attempt("array set out of range", function() { local a = [1]; a[3] = 2; });
attempt("array new slot", function() { local a = [1]; a[1] <- 2; });
attempt("integer new slot", function() { local n = 5; n.x <- 2; });
attempt("string new slot", function() { local s = "s"; s.x <- 2; });
attempt("null new slot", function() { local n = null; n.x <- 2; });
attempt("weakref new slot", function() { local t = {}; local w = t.weakref(); w.a <- 1; });
attempt("table new slot null key", function() { local t = {}; t[null] <- 1; });
attempt("instance new slot", function() { local p = Plain(); p.y <- 2; });
attempt("instance _newslot", function() { local h = Hooked(); h.y <- 2; return h.added; });
attempt("instance _delslot", function() { local h = Hooked(); delete h.y; return h.added; });
attempt("instance delete", function() { local p = Plain(); delete p.x; });
attempt("class delete", function() { delete Plain.x; });
attempt("string delete", function() { local s = "s"; delete s[0]; });
attempt("integer delete", function() { local n = 5; delete n.x; });
attempt("null delete", function() { local n = null; delete n.x; });
attempt("array delete", function() { local a = [1]; delete a[0]; });
attempt("table delete missing", function() { local t = {}; delete t.b; });

// `<-` on a class adds the member itself; only declarations in a class
// body go through _newmember.
class Watched {
    static log = [];
    function _newmember(index, value, attributes, isstatic) { log.append(index); }
    function m() {}
}
Watched.extra <- 5;
print("extra: " + Watched.extra + "\n");
foreach (name in Watched.log) print("declared: " + name + "\n");
