// tointeger with every kind of base, split with an empty separator list,
// and format reading a bool as an integer.
function attempt(name, f) {
    try { print(name + ": " + f() + "\n"); }
    catch (e) { print(name + ": " + e + "\n"); }
}
attempt("base 0 decimal", @() "12".tointeger(0));
attempt("base 0 hex", @() "0x1f".tointeger(0));
attempt("base 0 octal", @() "017".tointeger(0));
attempt("base 1", @() "12".tointeger(1));
attempt("base 37", @() "12".tointeger(37));
attempt("base -1", @() "12".tointeger(-1));
attempt("empty base 37", @() "".tointeger(37));
attempt("base 16", @() "ff".tointeger(16));
attempt("base 2", @() "101".tointeger(2));
attempt("bad digits base 16", @() "zz".tointeger(16));
attempt("empty", @() "".tointeger());
attempt("split empty separators", @() split("abc", "").len());
attempt("split", @() split("a,b", ",").len());
attempt("format bool", @() format("%d %d %i", true, false, true));
attempt("format bool as float", @() format("%f", true));
attempt("format bool as string", @() format("%s", true));
