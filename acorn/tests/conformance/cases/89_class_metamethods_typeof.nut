// typeof of weak references, instances and classes; metamethods declared in
// a class are not members.
function t(f) { try { print(f() + "\n"); } catch (e) { print("ERR: " + e + "\n"); } }
class A { x = 1; function _typeof() { return "AA"; } function _add(o) { return 5; } function _tostring() { return "A!"; } }
class B extends A { function _sub(o) { return 6; } }
local a = A(), b = B();
t(@() typeof a);
t(@() typeof b);
t(@() typeof A);
t(@() typeof a.weakref());
t(@() typeof A.weakref());
t(@() typeof [].weakref());
t(@() typeof (1).weakref());
t(@() a.weakref().ref() == a);
t(@() typeof a.weakref().ref());
t(@() a.tostring());
t(@() "" + b);
t(@() typeof A._typeof);
t(@() typeof a._typeof);
t(@() a._add(1));
t(@() b._sub(1));
t(@() "_add" in A);
t(@() "_sub" in B);
t(@() B.rawin("_typeof"));
t(@() b + 1);
t(@() b - 1);
t(@() typeof B.constructor);
foreach (k, v in A) print("A." + k + "\n");
foreach (k, v in B) print("B." + k + "\n");
t(@() b instanceof A);
t(@() B.getbase() == A);
t(@() A.getbase());
