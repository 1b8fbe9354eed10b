// How regexp() words a bad pattern, and searches that start outside the text.
foreach (pattern in ["(a", "(", "[a", "[]", "[z-a]", "a\\", "a{", "a{2", "a)", "\\m("]) {
    try { regexp(pattern); print(pattern + " compiled\n"); }
    catch (e) { print(pattern + " -> " + e + "\n"); }
}
local r = regexp("a");
print(r.search("bba", 5) + " " + r.search("bba", -1) + " " + r.capture("bba", 9) + "\n");
print(r.search("bba", 3) + " " + r.search("bba", 2).begin + "\n");
