// Negative string indices count from the end; find and slice bounds.
local s = "hello";
print(s[-1] + " " + s[-5] + " " + s[0] + "\n");
foreach (i in [-6, 5, 100]) {
    try { print(s[i] + "\n"); } catch (e) { print(e + "\n"); }
}
print("abc".find("") + " " + "abc".find("", 1) + " " + "abc".find("", 3) + " " + "abc".find("", 4) + "\n");
print("abcabc".find("c", 3) + " " + "abcabc".find("c", 6) + " " + "abc".find("a", -1) + "\n");
foreach (r in [[0, 3], [-2, -1], [1, 10], [-10, 1], [2, 1], [3, 3]]) {
    try { print("[" + "abc".slice(r[0], r[1]) + "]\n"); } catch (e) { print(e + "\n"); }
}
