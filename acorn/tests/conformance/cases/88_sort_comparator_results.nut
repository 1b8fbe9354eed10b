// sort accepts any number or bool from its comparator (converted to an
// integer); other results are an error. Equal elements end where the
// reference's heap sort leaves them.
function J(a) { local s = "["; foreach (i, x in a) s += (i ? "," : "") + x; return s + "]"; }
function t(f) { try { print(f() + "\n"); } catch (e) { print("ERR: " + e + "\n"); } }
local cases = [
    @(p, q) p <=> q,
    @(p, q) q <=> p,
    @(p, q) p > q,
    @(p, q) (p - q) * 0.5,
    @(p, q) (q - p) * 0.1,
    @(p, q) true,
    @(p, q) 1.5,
];
foreach (cmp in cases) {
    local a = [3, 1, 2, 5, 4, 9, 7, 8, 6, 0];
    t(function() { a.sort(cmp); return J(a); });
}
foreach (bad in [@(p, q) "x", @(p, q) null, @(p, q) []]) {
    t(@() [3, 1, 2].sort(bad));
}
local pairs = [[2, "a"], [1, "b"], [2, "c"], [1, "d"], [2, "e"]];
pairs.sort(@(x, y) x[0] <=> y[0]);
print(J(pairs.map(@(p) p[1])) + "\n");
local n = 0;
local big = [];
for (local i = 0; i < 50; i++) big.append((i * 37) % 101);
t(function() { big.sort(function(x, y) { n++; return (n % 3) - 1; }); return "sorted"; });
local sum = 0;
foreach (x in big) sum += x;
print(big.len() + " " + sum + "\n");
