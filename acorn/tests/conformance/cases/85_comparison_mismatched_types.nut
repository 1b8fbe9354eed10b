// Ordering across types: numbers mix, null sorts first, the rest is an error
// naming numbers and strings by value and other values by type.
function t(f) { try { print(f() + "\n"); } catch (e) { print("ERR: " + e + "\n"); } }
t(@() 1 < "a");
t(@() "a" < 1);
t(@() [] < {});
t(@() 1.5 <=> "x");
t(@() true < 1);
t(@() "a" < []);
t(@() 1 < {});
t(@() 0.25 < "b");
t(@() null < 1);
t(@() 1 < null);
t(@() null < "a");
t(@() "a" > null);
t(@() null <=> null);
t(@() null <=> 1);
t(@() null < []);
t(@() true < false);
class A { v = 0; constructor(x) { v = x; } function _cmp(o) { return v <=> o.v; } }
t(@() A(1) < A(2));
t(@() A(1) < 2);
t(@() 2 < A(1));
t(@() A(1) < null);
class B { function _cmp(o) { return "x"; } }
t(@() B() < B());
class C { function _cmp(o) { return 1.5; } }
t(@() C() > C());
