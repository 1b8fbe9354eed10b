// Array methods on empty arrays and with indices out of range.
function t(f) { try { print(f() + "\n"); } catch (e) { print("ERR: " + e + "\n"); } }
t(@() [].pop());
t(@() [].top());
t(@() [1].remove(3));
t(@() [1].remove(-1));
t(@() [1, 2].remove(2));
t(@() [1].insert(5, 2));
t(@() [1].insert(-1, 2));
t(@() [].slice(1));
t(@() [1, 2, 3].slice(2, 1));
t(@() [1, 2, 3].slice(1, 5));
t(@() [1, 2, 3].slice(-5));
t(@() [1, 2, 3].slice(0, -1).len());
t(@() [1, 2].resize(-3));
t(@() [1, 2]["x"]);
t(@() [1, 2][5]);
t(@() [1, 2][-1]);
t(@() [1, 2, 3].find(2));
t(@() [1, 2, 3].find(5));
