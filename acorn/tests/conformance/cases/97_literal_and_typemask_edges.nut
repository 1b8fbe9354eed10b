// Number and character literals at their edges, and how a native names the
// types it expected.
print(0x + " " + 0x1F + " " + 017 + " " + 09 + "\n");
print(100. + " " + 5.e1 + " " + 1.5.5 + " " + 1e1.5 + " " + 2E-1 + "\n");
print('a' + " " + '\x41' + " " + '\'' + "\n");
foreach (src in ["return '';", "return 'ab';", "return 1e;", "return .5;", "return 018;"]) {
    try { compilestring(src); print("compiled: " + src + "\n"); }
    catch (e) { print(src + " -> " + e + "\n"); }
}
foreach (call in [@() newthread(1), @() [1].sort(1), @() [1].apply(1), @() [1].resize("x")]) {
    try { call(); } catch (e) { print(e + "\n"); }
}
