// sort works on the array itself: a comparator that raises leaves the array
// part sorted, and one that resizes the array ends the sort at once.
local a = [3, 1, 2, 5, 4, 9, 0, 7];
try { a.sort(function(x, y) { if (x == 9 || y == 9) throw "no"; return x <=> y; }); } catch (e) { print(e + "\n"); }
foreach (v in a) print(v + " ");
print("\n");
local seen = [];
local c = [4, 2, 3, 1];
c.sort(function(x, y) { seen.append(c[0]); return x <=> y; });
foreach (v in seen) print(v + " ");
print("\n");
local b = [3, 1, 2];
try { b.sort(function(x, y) { b.push(1); return x <=> y; }); } catch (e) { print(e + "\n"); }
print(b.len() + "\n");
local d = [6, 5, 4, 3];
try { d.sort(function(x, y) { d.pop(); return x <=> y; }); } catch (e) { print(e + "\n"); }
print(d.len() + "\n");
