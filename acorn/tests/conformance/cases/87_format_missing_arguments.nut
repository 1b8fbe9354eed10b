// format with too few arguments, and the argument checks.
function t(f) { try { print(f() + "\n"); } catch (e) { print("ERR: " + e + "\n"); } }
t(@() format("%d %d", 1));
t(@() format("%s"));
t(@() format("%"));
t(@() format("%5"));
t(@() format("%5%"));
t(@() format("%", 1));
t(@() format("%z", 1));
t(@() format("%d", "x"));
t(@() format("%f", "x"));
t(@() format("%s%%", 1));
t(@() format("abc", 1));
t(@() format("%5.2f|%-5d|%x|%X|%o|%c|%%", 1.2345, 3, 255, 255, 8, 65));
